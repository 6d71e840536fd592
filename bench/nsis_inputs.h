// What the peer installer's script takes from the wizard's own core, as the
// bytes of the two files bench_nsis_inputs writes, so that neither fact is
// written twice.
#pragma once

#include <optional>
#include <string>

namespace velkor::bench::nsis {

// The licence page's agreement as a plain text file for NSIS: UTF-16LE with a
// byte order mark, each line feed written as CR LF.
std::string licenceFile();

// "!define INSTALL_DIR "<the fixed install folder>"" and a line end; nothing
// when the folder is not plain printable ASCII without '$' or '"' (which the
// script would read otherwise).
std::optional<std::string> factsFile();

}  // namespace velkor::bench::nsis
