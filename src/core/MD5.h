// MD5 message digests (RFC 1321), for content checks and cache keys.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "core/String.h"

namespace PM {

class MD5 {
 public:
  using Digest = std::array<uint8_t, 16>;

  MD5() { Reset(); }
  void Reset();
  void Update(const void* data, size_t size);
  // The digest of everything given since the last reset; the hash then starts over.
  Digest Final();

  static Digest Of(const void* data, size_t size);
  // 32 lower-case hexadecimal digits.
  static String ToHex(const Digest& digest);

 private:
  void Transform(const uint8_t block[64]);

  uint32_t m_state[4];
  uint64_t m_length;  // bytes hashed so far
  uint8_t m_buffer[64];
};

}  // namespace PM
