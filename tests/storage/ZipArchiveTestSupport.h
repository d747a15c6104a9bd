// Helpers of the zip tests: a raw zip builder for hand-made (and malformed) archives, an error-log
// capture, and shell access to the zip and unzip tools.
#pragma once

#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "core/Log.h"
#include "storage/Streams.h"
#include "storage/ZipArchive.h"
#include "storage/ZipTrailer.h"
#include "support/LogCapture.h"
#include "support/TestEnv.h"

namespace PM::Test {

inline std::string RawDeflate(const std::string& in) {
  z_stream z{};
  deflateInit2(&z, 9, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY);
  std::string out(deflateBound(&z, uLong(in.size())), '\0');
  z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(in.data()));
  z.avail_in = uInt(in.size());
  z.next_out = reinterpret_cast<Bytef*>(out.data());
  z.avail_out = uInt(out.size());
  deflate(&z, Z_FINISH);
  out.resize(z.total_out);
  deflateEnd(&z);
  return out;
}

inline uint32_t Crc(const std::string& s) {
  return uint32_t(crc32(0, reinterpret_cast<const Bytef*>(s.data()), uInt(s.size())));
}

// One member as it is to be written; the declared values may lie.
struct RawMember {
  std::string name;
  std::string content;  // uncompressed
  int method = 8;
  int64_t declaredSize = -1;    // -1: the real size
  int64_t declaredPacked = -1;  // -1: the real compressed size
  int64_t declaredCrc = -1;     // -1: the real crc32
};

inline void Put16(std::string& s, uint32_t v) { s += char(v & 0xFF), s += char(v >> 8 & 0xFF); }
inline void Put32(std::string& s, uint32_t v) { Put16(s, v & 0xFFFF), Put16(s, v >> 16); }

// A zip of the members with the given global comment; `withTrailer` makes the comment the trailer.
inline std::string BuildZip(const std::vector<RawMember>& members, bool withTrailer = true, std::string comment = "") {
  std::string zip, dir;
  for (const RawMember& m : members) {
    std::string data = m.method == 8 ? RawDeflate(m.content) : m.content;
    uint32_t crc = m.declaredCrc >= 0 ? uint32_t(m.declaredCrc) : Crc(m.content);
    uint32_t size = uint32_t(m.declaredSize >= 0 ? m.declaredSize : int64_t(m.content.size()));
    uint32_t packed = uint32_t(m.declaredPacked >= 0 ? m.declaredPacked : int64_t(data.size()));
    auto common = [&](std::string& s) {
      Put16(s, 20), Put16(s, 0), Put16(s, uint32_t(m.method)), Put16(s, 0), Put16(s, 0x21);
      Put32(s, crc), Put32(s, packed), Put32(s, size), Put16(s, uint32_t(m.name.size())), Put16(s, 0);
    };
    uint32_t at = uint32_t(zip.size());
    Put32(zip, 0x04034b50), common(zip), zip += m.name, zip += data;
    Put32(dir, 0x02014b50), Put16(dir, 20), common(dir);
    Put16(dir, 0), Put16(dir, 0), Put16(dir, 0), Put32(dir, 0), Put32(dir, at), dir += m.name;
  }
  uint32_t dirAt = uint32_t(zip.size());
  zip += dir;
  if (withTrailer) comment = std::string(kZipTrailerSize, ' ');
  Put32(zip, 0x06054b50), Put16(zip, 0), Put16(zip, 0), Put16(zip, uint32_t(members.size()));
  Put16(zip, uint32_t(members.size())), Put32(zip, uint32_t(dir.size())), Put32(zip, dirAt);
  Put16(zip, uint32_t(comment.size()));
  if (withTrailer) {
    FormatZipTrailer(Crc(zip), comment.data());
  }
  return zip + comment;
}

inline int Shell(const std::string& command) { return std::system((command + " >/dev/null 2>&1").c_str()); }

// The whole content of a member through its stream; "<failed>" when a read reports a failure.
inline std::string ReadMember(const ZipArchive& zip, const char* name, ResultCode* code = nullptr) {
  StreamPipeRef s(zip.OpenMember(name, code));
  std::string out;
  char buf[4096];
  for (int64_t n; (n = s->Read(buf, sizeof buf)) != 0;) {
    if (n < 0) return "<failed>";
    out.append(buf, size_t(n));
  }
  return out;
}

inline StreamPipeRef MemoryOf(const std::string& bytes) {
  return StreamPipeRef(NewMemoryStream(bytes.data(), bytes.size()));
}

}  // namespace PM::Test
