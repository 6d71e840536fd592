// Exit codes of the sealed test image: run as a setup file, it checks the
// payload behind its own image against the seal it carries.
#pragma once

namespace velkor::payloadtest {

enum SelfCheck : int {
  kSealMatches = 0,
  kNoSealResource = 10,
  kNotASeal = 11,
  kSealUnfilled = 12,
  kFileUnreadable = 13,
  kPayloadMismatch = 14,
};

}  // namespace velkor::payloadtest
