// mkpayload --verify: checks a finished (possibly signed) setup file with the
// wizard's own check (where the payload ends, the seal, the payload's
// SHA-256) and lists what it holds.
#pragma once

#include <cstdio>
#include <string>

namespace velkor::mkpayload {

// Prints the member table with each member's file offset, length and SHA-256,
// and the payload's digest, to `out`; returns 0. A file that fails the check
// gets one line on `err` and 1.
int verifySetupFile(const std::string& path, std::FILE* out, std::FILE* err);

}  // namespace velkor::mkpayload
