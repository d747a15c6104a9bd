// Interim stand-ins for the stream variants this suite needs, until they are merged. Include from
// exactly one file of each program. Delete on that merge.
#pragma once

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "storage/Streams.h"

namespace PM {
namespace interim {

class FileStream : public StreamPipe {
 public:
  explicit FileStream(int fd) : m_fd(fd) {}
  ~FileStream() override { ::close(m_fd); }
  int64_t Read(void* b, int64_t n) override { auto r = ::read(m_fd, b, size_t(n)); return r < 0 ? 0 : r; }
  int ReadByte() override { unsigned char c; return Read(&c, 1) == 1 ? c : -1; }
  int PeekByte() override { int c = ReadByte(); if (c >= 0) ::lseek(m_fd, -1, SEEK_CUR); return c; }
  int64_t Write(const void* b, int64_t n) override { auto r = ::write(m_fd, b, size_t(n)); return r < 0 ? -1 : r; }
  int64_t Seek(int64_t o, int origin) override {
    return ::lseek(m_fd, o, origin == kSeekStart ? SEEK_SET : origin == kSeekEnd ? SEEK_END : SEEK_CUR);
  }
  int64_t GetFileLength() override { struct stat st; return ::fstat(m_fd, &st) == 0 ? st.st_size : 0; }

 private:
  int m_fd;
};

class MemoryStream : public StreamPipe {
 public:
  MemoryStream(const void* b, size_t n, bool view) : m_view(view ? static_cast<const uint8_t*>(b) : nullptr), m_n(n) {
    if (!view && b) m_bytes.assign(static_cast<const uint8_t*>(b), static_cast<const uint8_t*>(b) + n);
    if (!view) m_n = m_bytes.size();
  }
  const uint8_t* Data() const { return m_view ? m_view : m_bytes.data(); }
  size_t Size() const { return m_n; }
  int64_t Read(void* b, int64_t n) override {
    n = std::min<int64_t>(n, int64_t(m_n - m_pos));
    if (n <= 0) return 0;
    std::memcpy(b, Data() + m_pos, size_t(n));
    m_pos += size_t(n);
    return n;
  }
  int ReadByte() override { return m_pos < m_n ? Data()[m_pos++] : -1; }
  int PeekByte() override { return m_pos < m_n ? Data()[m_pos] : -1; }
  int PeekByteAt(int64_t o) override { return o >= 0 && m_pos + size_t(o) < m_n ? Data()[m_pos + size_t(o)] : -1; }
  int64_t Write(const void* b, int64_t n) override {
    if (m_view) return 0;
    if (m_bytes.size() < m_pos + size_t(n)) m_bytes.resize(m_pos + size_t(n));
    std::memcpy(m_bytes.data() + m_pos, b, size_t(n));
    m_pos += size_t(n);
    m_n = m_bytes.size();
    return n;
  }
  int64_t Seek(int64_t o, int origin) override {
    int64_t to = (origin == kSeekStart ? 0 : origin == kSeekEnd ? int64_t(m_n) : int64_t(m_pos)) + o;
    if (to < 0 || to > int64_t(m_n)) return -1;
    m_pos = size_t(to);
    return to;
  }
  int64_t GetFileLength() override { return int64_t(m_n); }

 private:
  std::vector<uint8_t> m_bytes;
  const uint8_t* m_view;
  size_t m_n;
  size_t m_pos = 0;
};

class Inflater : public StreamPipe {
 public:
  Inflater(const StreamPipeRef& s, int64_t n) : m_src(s), m_left(n < 0 ? INT64_MAX : n) { inflateInit(&m_z); }
  ~Inflater() override { inflateEnd(&m_z); }
  int64_t Read(void* b, int64_t n) override {
    m_z.next_out = static_cast<Bytef*>(b);
    m_z.avail_out = uInt(n);
    while (m_z.avail_out > 0 && !m_done) {
      if (m_z.avail_in == 0 && m_left > 0) {
        int64_t r = m_src->Read(m_in, std::min<int64_t>(sizeof m_in, m_left));
        if (r <= 0) break;
        m_left -= r;
        m_z.next_in = m_in;
        m_z.avail_in = uInt(r);
      }
      int rc = inflate(&m_z, Z_NO_FLUSH);
      if (rc == Z_STREAM_END) m_done = true;
      else if (rc != Z_OK) break;
      if (rc == Z_OK && m_z.avail_in == 0 && m_left == 0) break;
    }
    return n - m_z.avail_out;
  }
  int PeekByteAt(int64_t) override { return -1; }

 private:
  StreamPipeRef m_src;
  int64_t m_left;
  z_stream m_z{};
  Bytef m_in[65536];
  bool m_done = false;
};

class Deflater : public StreamPipe {
 public:
  Deflater(const StreamPipeRef& t, int level) : m_t(t) { deflateInit(&m_z, level); }
  ~Deflater() override { Pump(Z_FINISH); deflateEnd(&m_z); }
  int64_t Write(const void* b, int64_t n) override {
    m_z.next_in = static_cast<Bytef*>(const_cast<void*>(b));
    m_z.avail_in = uInt(n);
    Pump(Z_NO_FLUSH);
    return n;
  }

 private:
  void Pump(int flush) {
    for (;;) {
      Bytef out[65536];
      m_z.next_out = out;
      m_z.avail_out = sizeof out;
      int rc = deflate(&m_z, flush);
      m_t->Write(out, int64_t(sizeof out - m_z.avail_out));
      if (flush == Z_FINISH ? rc == Z_STREAM_END : m_z.avail_out != 0) break;
    }
  }
  StreamPipeRef m_t;
  z_stream m_z{};
};

}  // namespace interim

StreamPipe* OpenFileStream(const char* path, uint32_t mode) {
  int flags = (mode & kModeWrite) ? O_RDWR | ((mode & kModeCreate) ? O_CREAT : 0) | ((mode & kModeTruncate) ? O_TRUNC : 0)
                                  : O_RDONLY;
  int fd = ::open(path, flags, 0644);
  return fd < 0 ? NullPipe() : NewCounted<interim::FileStream>(fd);
}
StreamPipe* NewMemoryStream(const void* b, size_t n) { return NewCounted<interim::MemoryStream>(b, n, false); }
StreamPipe* NewMemoryViewStream(const void* b, size_t n) { return NewCounted<interim::MemoryStream>(b, n, true); }
const uint8_t* MemoryStreamData(StreamPipe* s, size_t* size) {
  auto* m = dynamic_cast<interim::MemoryStream*>(s);
  *size = m ? m->Size() : 0;
  return m ? m->Data() : nullptr;
}
StreamPipe* NewDeflateWriter(const StreamPipeRef& t, int level) { return NewCounted<interim::Deflater>(t, level); }
StreamPipe* NewInflateReader(const StreamPipeRef& s, int64_t n) { return NewCounted<interim::Inflater>(s, n); }

}  // namespace PM
