// Factories of the stream variants. Each returns a new stream with count 0 (the caller takes the
// first reference), or the null stream when it cannot be opened; failures are logged.
#pragma once

#include <cstddef>
#include <cstdint>

#include "core/StreamPipe.h"

namespace PM {

// Open modes. 14 (write | create | truncate) writes a new file; 0x10000001 reads without logging a missing file.
enum StreamMode : uint32_t {
  kModeRead = 0x1,
  kModeWrite = 0x2,
  kModeCreate = 0x4,
  kModeTruncate = 0x8,
  kModeWriteNew = 0xE,
  kModeAppend = 0x20,
  kModeQuiet = 0x10000000,
};

// A file on disk, unbuffered beyond the system's own caching.
StreamPipe* OpenFileStream(const char* path, uint32_t mode);
// A file read through a large read cache (sequential parsing of assets).
StreamPipe* OpenCachedFileStream(const char* path, uint32_t mode);
// A growable memory stream, empty or holding a copy of `bytes`.
StreamPipe* NewMemoryStream(const void* bytes = nullptr, size_t n = 0);
// A read-only view of bytes that outlive the stream (no copy).
StreamPipe* NewMemoryViewStream(const void* bytes, size_t n);
// The bytes written to a memory stream so far (empty for other streams).
const uint8_t* MemoryStreamData(StreamPipe* memoryStream, size_t* size);

// Named byte blobs linked into the library ("module resources").
void RegisterResource(const char* name, const void* bytes, size_t n);
StreamPipe* OpenResourceStream(const char* name);

// zlib-format deflate: a writer compressing into `target` (finished when the stream is released or
// flushed with Flush), and a reader inflating from `source`; `compressedLength` < 0 reads to the end.
StreamPipe* NewDeflateWriter(const StreamPipeRef& target, int level = 6);
StreamPipe* NewInflateReader(const StreamPipeRef& source, int64_t compressedLength = -1);

// A stream that enciphers what is written to `target` and deciphers what is read from it.
StreamPipe* NewCipherStream(const StreamPipeRef& target, uint32_t key);

}  // namespace PM
