#include "storage/ZipTrailer.h"

#include <zlib.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

namespace PM {

namespace {

constexpr char kTagArchive[] = "PELMORAZIP";  // at offset 0 of the trailer
constexpr char kTagCrc[] = "PMC";             // at offset 11
constexpr int kTagCrcAt = 11;
constexpr int kCrcAt = 15;

}  // namespace

namespace {

bool ParseHex(const char* p, uint32_t* value) {
  uint32_t v = 0;
  for (int i = 0; i < 8; ++i) {
    char c = p[i];
    int d = c >= '0' && c <= '9' ? c - '0' : c >= 'A' && c <= 'F' ? c - 'A' + 10 : -1;
    if (d < 0) return false;
    v = v << 4 | uint32_t(d);
  }
  *value = v;
  return true;
}

}  // namespace

void FormatZipTrailer(uint32_t crc, char out[kZipTrailerSize]) {
  char text[kZipTrailerSize + 1];
  std::snprintf(text, sizeof text, "%s %s %08X", kTagArchive, kTagCrc, unsigned(crc));
  std::memcpy(out, text, kZipTrailerSize);
}

bool CrcOfStreamPrefix(StreamPipe* source, int64_t length, uint32_t* crc) {
  std::vector<unsigned char> buf(1 << 16);
  uLong c = crc32(0, nullptr, 0);
  bool ok = true;
  for (int64_t done = 0; ok && done < length;) {
    int64_t n = source->ReadAt(done, buf.data(), std::min<int64_t>(int64_t(buf.size()), length - done));
    if (n <= 0)
      ok = false;
    else {
      c = crc32(c, buf.data(), uInt(n));
      done += n;
    }
  }
  *crc = uint32_t(c);
  return ok;
}

ZipTrailerState CheckZipTrailer(StreamPipe* source) {
  int64_t length = source->GetFileLength();
  if (length < kZipTrailerSize + kZipEndRecordSize) return ZipTrailerState::Missing;
  unsigned char tail[kZipEndRecordSize + kZipTrailerSize];
  if (source->ReadAt(length - int64_t(sizeof tail), tail, sizeof tail) != int64_t(sizeof tail))
    return ZipTrailerState::Unreadable;
  const char* t = reinterpret_cast<const char*>(tail + kZipEndRecordSize);
  bool tagArchive = std::memcmp(t, kTagArchive, 10) == 0;
  bool tagCrc = std::memcmp(t + kTagCrcAt, kTagCrc, 3) == 0;
  if (!tagArchive && !tagCrc) return ZipTrailerState::Missing;
  uint32_t stored = 0;
  bool wellFormed = tagArchive && tagCrc && t[10] == ' ' && t[14] == ' ' && ParseHex(t + kCrcAt, &stored);
  if (!wellFormed) return ZipTrailerState::Damaged;
  uint32_t actual = 0;
  if (!CrcOfStreamPrefix(source, length - kZipTrailerSize, &actual)) return ZipTrailerState::Unreadable;
  if (actual != stored) return ZipTrailerState::Mismatch;
  // The comment must be exactly the trailer: its end record directly in front, comment length 23.
  bool placed = std::memcmp(tail, "PK\x05\x06", 4) == 0 && tail[20] == kZipTrailerSize && tail[21] == 0;
  return placed ? ZipTrailerState::Valid : ZipTrailerState::Damaged;
}

}  // namespace PM
