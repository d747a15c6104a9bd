// CachedFileStream: a file stream reading through a large cache, for the small reads of sequential
// parsers. Writes go straight to the file and drop the cache.
#pragma once

#include <vector>

#include "storage/FileStream.h"

namespace PM {

class CachedFileStream : public FileStream {
 public:
  CachedFileStream(int fd, uint32_t mode, const char* path);

  int64_t Read(void* buffer, int64_t n) override;
  int ReadByte() override;
  int PeekByteAt(int64_t offset) override;
  int64_t Write(const void* bytes, int64_t n) override;
  int32_t Truncate() override;

 private:
  bool Cached(int64_t at);  // makes the cache hold the byte at `at`; false at the end or on an error

  std::vector<uint8_t> m_cache;
  int64_t m_cacheStart = 0, m_cacheLen = 0;
  bool m_readFailed = false;
};

}  // namespace PM
