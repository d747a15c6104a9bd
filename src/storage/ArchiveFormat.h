// Layout constants of the chunked archive (".pmk"): chunk ids, record sizes and the limits the
// reader enforces. docs/formats.md describes the format.
#pragma once

#include <cstdint>
#include <cstring>

namespace PM::ArchiveFormat {

constexpr int kIdSize = 8;                // "QVK", 0x04, then the four-letter tag
constexpr int kHeaderSize = kIdSize + 4;  // id and the u32 payload length
constexpr uint32_t kVersion = 1;
constexpr int kIndexSize = 12;      // version, file count, flags
constexpr int kFileFixedSize = 20;  // offset, stored size, original size, crc32, method
constexpr int kMaxNameLength = 255;
constexpr int kMaxDepth = 32;                  // SDIR nesting below TREE
constexpr uint32_t kMaxTreeBytes = 16u << 20;  // the TREE payload is read whole, so it is bounded

enum Method : uint32_t { kStored = 0, kDeflate = 1 };

inline constexpr char kArch[] = "ARCH";
inline constexpr char kIndx[] = "INDX";
inline constexpr char kData[] = "DATA";
inline constexpr char kTree[] = "TREE";
inline constexpr char kSdir[] = "SDIR";
inline constexpr char kFile[] = "FILE";

inline void PutId(uint8_t* out, const char* tag) {
  out[0] = 'Q', out[1] = 'V', out[2] = 'K', out[3] = 0x04;
  std::memcpy(out + 4, tag, 4);
}
// Whether an 8-byte chunk id is "QVK", 0x04 followed by the tag.
inline bool IsId(const uint8_t* id, const char* tag) {
  return id[0] == 'Q' && id[1] == 'V' && id[2] == 'K' && id[3] == 0x04 && std::memcmp(id + 4, tag, 4) == 0;
}
inline void PutU32(uint8_t* out, uint32_t v) {
  for (int i = 0; i < 4; ++i) out[i] = uint8_t(v >> (8 * i));
}
inline uint32_t GetU32(const uint8_t* in) {
  return uint32_t(in[0]) | uint32_t(in[1]) << 8 | uint32_t(in[2]) << 16 | uint32_t(in[3]) << 24;
}
inline uint16_t GetU16(const uint8_t* in) { return uint16_t(in[0] | in[1] << 8); }

// A name of one path segment inside an archive: 1..255 bytes, no "/", "\", NUL, and no "..".
inline bool IsSafeName(const char* s, size_t n) {
  if (n == 0 || n > size_t(kMaxNameLength)) return false;
  for (size_t i = 0; i < n; ++i) {
    char c = s[i];
    if (c == '/' || c == '\\' || c == 0) return false;
    if (c == '.' && i + 1 < n && s[i + 1] == '.') return false;
  }
  return !(n == 1 && s[0] == '.');
}

}  // namespace PM::ArchiveFormat
