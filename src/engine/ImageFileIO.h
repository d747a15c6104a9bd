// Shared pieces of the image file readers and writers: whole reads and writes on a stream, and the
// quoted file name of their log lines.
#pragma once

#include <cstdint>

#include "core/Log.h"
#include "core/StreamPipe.h"
#include "core/String.h"

namespace PM {

// A file name written between double quotes in a log line.
struct QuotedName {
  const String& name;
};
inline void LogPart(StreamPipeRef& p, const QuotedName& q) { p.WriteQuotedString(q.name, '"'); }

// Reads until `n` bytes arrived or the stream gives no more; true when all arrived.
inline bool ReadFully(StreamPipe* pipe, void* buffer, int64_t n) {
  auto* p = static_cast<uint8_t*>(buffer);
  while (n > 0) {
    int64_t got = pipe->Read(p, n);
    if (got <= 0) return false;
    p += got;
    n -= got;
  }
  return true;
}

inline bool WriteFully(StreamPipe* pipe, const void* bytes, int64_t n) { return n == 0 || pipe->Write(bytes, n) == n; }

}  // namespace PM
