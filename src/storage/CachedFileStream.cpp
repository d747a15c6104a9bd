#include "storage/CachedFileStream.h"

#include <algorithm>
#include <cstring>

#include "storage/Streams.h"

namespace PM {

namespace {
constexpr size_t kCacheSize = 256 * 1024;
}

CachedFileStream::CachedFileStream(int fd, uint32_t mode, const char* path)
    : FileStream(fd, mode, path), m_cache(kCacheSize) {}

bool CachedFileStream::Cached(int64_t at) {
  if (at >= m_cacheStart && at < m_cacheStart + m_cacheLen) return true;
  m_cacheStart = at;
  int64_t r = ReadAt(at, m_cache.data(), int64_t(m_cache.size()));
  m_readFailed = r < 0;
  m_cacheLen = std::max<int64_t>(0, r);
  return m_cacheLen > 0;
}

int64_t CachedFileStream::Read(void* buffer, int64_t n) {
  Hold hold(this);
  if (n <= 0 || !buffer) return 0;
  uint8_t* out = static_cast<uint8_t*>(buffer);
  int64_t done = 0;
  while (done < n) {
    if (n - done >= int64_t(m_cache.size()) && !(m_pos >= m_cacheStart && m_pos < m_cacheStart + m_cacheLen)) {
      int64_t r = ReadAt(m_pos, out + done, n - done);  // large reads bypass the cache
      if (r < 0) return done ? done : -1;
      done += r;
      m_pos += r;
      break;
    }
    if (!Cached(m_pos)) return done == 0 && m_readFailed ? -1 : done;
    int64_t k = std::min(n - done, m_cacheStart + m_cacheLen - m_pos);
    std::memcpy(out + done, m_cache.data() + (m_pos - m_cacheStart), size_t(k));
    done += k;
    m_pos += k;
  }
  return done;
}

int CachedFileStream::ReadByte() {
  Hold hold(this);
  if (!Cached(m_pos)) return -1;
  return m_cache[size_t(m_pos++ - m_cacheStart)];
}

int CachedFileStream::PeekByteAt(int64_t offset) {
  Hold hold(this);
  int64_t at;
  if (__builtin_add_overflow(m_pos, offset, &at) || at < 0 || !Cached(at)) return -1;
  return m_cache[size_t(at - m_cacheStart)];
}

int64_t CachedFileStream::Write(const void* bytes, int64_t n) {
  Hold hold(this);
  m_cacheLen = 0;
  return FileStream::Write(bytes, n);
}

int32_t CachedFileStream::Truncate() {
  Hold hold(this);
  m_cacheLen = 0;
  return FileStream::Truncate();
}

StreamPipe* OpenCachedFileStream(const char* path, uint32_t mode) {
  int fd = FileStream::OpenDescriptor(path, mode, "CachedFileStream");
  return fd < 0 ? NullPipe() : NewCounted<CachedFileStream>(fd, mode, path);
}

}  // namespace PM
