#include "storage/MemoryStream.h"

#include <algorithm>
#include <cstring>
#include <exception>

#include "core/Log.h"
#include "storage/Streams.h"

namespace PM {

MemoryStream::MemoryStream(const void* bytes, size_t n) {
  if (bytes && n) m_bytes.assign(static_cast<const uint8_t*>(bytes), static_cast<const uint8_t*>(bytes) + n);
}

MemoryStream::MemoryStream(const void* bytes, size_t n, bool)
    : m_view(bytes ? static_cast<const uint8_t*>(bytes) : reinterpret_cast<const uint8_t*>("")),
      m_viewSize(bytes ? int64_t(n) : 0) {}

int64_t MemoryStream::Read(void* buffer, int64_t n) {
  Hold hold(this);
  if (n <= 0 || !buffer || m_pos >= Size()) return 0;
  int64_t k = std::min(n, Size() - m_pos);
  std::memcpy(buffer, Bytes() + m_pos, size_t(k));
  m_pos += k;
  return k;
}

int MemoryStream::ReadByte() {
  Hold hold(this);
  if (m_pos >= Size()) return -1;
  return Bytes()[m_pos++];
}

int MemoryStream::PeekByte() { return PeekByteAt(0); }

int MemoryStream::PeekByteAt(int64_t offset) {
  Hold hold(this);
  int64_t at;
  if (__builtin_add_overflow(m_pos, offset, &at) || at < 0 || at >= Size()) return -1;
  return Bytes()[at];
}

int64_t MemoryStream::Skip(int64_t n) {
  Hold hold(this);
  if (n <= 0 || m_pos >= Size()) return 0;
  int64_t k = std::min(n, Size() - m_pos);
  m_pos += k;
  return k;
}

int64_t MemoryStream::Write(const void* bytes, int64_t n) {
  Hold hold(this);
  if (m_view) return -1;
  if (n <= 0 || !bytes) return 0;
  // Checked before it is used: a seek far past the end must not wrap the end around to a small one.
  int64_t end64;
  if (__builtin_add_overflow(m_pos, n, &end64) || end64 > kMaxMemoryStreamBytes) {
    LogError("MemoryStream: cannot grow to ", uint64_t(m_pos), " + ", uint64_t(n), " bytes (limit ",
             uint64_t(kMaxMemoryStreamBytes), ").");
    return -1;
  }
  const size_t end = size_t(end64);
  if (end > m_bytes.size()) {
    try {
      m_bytes.resize(end);  // a gap after a seek past the end reads as zeros
    } catch (const std::exception&) {
      LogError("MemoryStream: cannot grow to ", uint64_t(end), " bytes.");
      return -1;
    }
  }
  std::memcpy(m_bytes.data() + m_pos, bytes, size_t(n));
  m_pos += n;
  return n;
}

int32_t MemoryStream::Truncate() {
  Hold hold(this);
  if (m_view) return 0;
  if (m_pos > kMaxMemoryStreamBytes) {  // a cut far past the end would grow the stream instead
    LogError("MemoryStream: cannot grow to ", uint64_t(m_pos), " bytes (limit ", uint64_t(kMaxMemoryStreamBytes), ").");
    return 0;
  }
  m_bytes.resize(size_t(m_pos));
  return 1;
}

int64_t MemoryStream::Seek(int64_t offset, int origin) {
  Hold hold(this);
  int64_t target = SeekTarget(offset, origin, m_pos, Size());
  if (target < 0) return -1;
  if (m_view && target > Size()) target = Size();
  return m_pos = target;
}

int64_t MemoryStream::GetFileLength() {
  Hold hold(this);
  return Size();
}

void MemoryStream::Clear() {
  Hold hold(this);
  if (m_view) return;
  m_bytes.clear();
  m_pos = 0;
}

const uint8_t* MemoryStream::Data(size_t* size) {
  Hold hold(this);
  if (size) *size = size_t(Size());
  return Bytes();
}

StreamPipe* NewMemoryStream(const void* bytes, size_t n) { return NewCounted<MemoryStream>(bytes, n); }

StreamPipe* NewMemoryViewStream(const void* bytes, size_t n) { return NewCounted<MemoryStream>(bytes, n, true); }

const uint8_t* MemoryStreamData(StreamPipe* stream, size_t* size) {
  if (auto* m = dynamic_cast<MemoryStream*>(stream)) return m->Data(size);
  if (size) *size = 0;
  return reinterpret_cast<const uint8_t*>("");
}

}  // namespace PM
