// SHA-256 (FIPS 180-4) of the payload: the payload tool seals the payload with
// it and the engine checks the payload with it before it changes anything.
// Where the processor has the SHA extensions (chosen at run time) blocks go
// through them; elsewhere through the portable rounds. Both give the same
// digest.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace velkor {

using Sha256Digest = std::array<std::uint8_t, 32>;

class Sha256 {
 public:
  enum class Engine { Auto, Portable };

  // Auto takes the processor's instructions where present; Portable never
  // does (tests compare the two).
  explicit Sha256(Engine engine = Engine::Auto);

  void update(const void* data, std::size_t size);
  // The digest of everything updated so far; the object is spent afterwards.
  Sha256Digest finish();

  // Whether this processor has the instructions the Auto engine uses.
  static bool hardwareAvailable();

 private:
  using Compress = void (*)(std::uint32_t* state, const std::uint8_t* blocks, std::size_t count);

  Compress compress_;
  std::uint32_t state_[8];
  std::uint8_t buffer_[64];
  std::size_t buffered_ = 0;
  std::uint64_t length_ = 0;  // bytes updated so far
};

inline Sha256Digest sha256(const void* data, std::size_t size) {
  Sha256 hash;
  hash.update(data, size);
  return hash.finish();
}

}  // namespace velkor
