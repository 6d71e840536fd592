// The product's own files as the payload: one folder holding the nine members
// under their installed file names, or the font bundle as its three fonts.
// Each file must have exactly the length the member table gives it and begin
// the way its kind does; nothing else about its content is judged.
#pragma once

#include <string>
#include <vector>

namespace velkor::mkpayload {

// The payload from the member files in `dir`. A name is matched exactly, else
// without regard to case (the files come from Windows, where case does not
// count). Every problem found is one line of the InputError thrown: the file,
// what was expected of it and what it is.
std::vector<unsigned char> buildPayloadFromMembers(const std::string& dir);

// Writes each member of `payload` into `dir` (made if missing) under its
// installed file name: the folder buildPayloadFromMembers reads. Throws
// InputError.
void writeMembers(const std::vector<unsigned char>& payload, const std::string& dir);

}  // namespace velkor::mkpayload
