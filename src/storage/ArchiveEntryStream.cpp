#include "storage/ArchiveEntryStream.h"

#include <libdeflate.h>

#include <algorithm>
#include <cstring>

#include "core/Log.h"
#include "storage/ArchiveResult.h"

namespace PM {

ArchiveEntryStream::ArchiveEntryStream(const Ptr<Archive>& owner, const Archive::Entry& entry,
                                       const StreamPipeRef& source, bool whole, const String& name,
                                       std::atomic<uint8_t>* verified)
    : m_owner(owner),
      m_entry(entry),
      m_source(source),
      m_whole(whole),
      m_length(entry.originalSize),
      m_name(name),
      m_verified(verified) {
  m_checking = !m_verified->load(std::memory_order_acquire);
}

bool ArchiveEntryStream::Fail(ResultCode code, const char* what) {
  if (!m_failure) {
    LogError("Archive: ", ResultCodeName(code), ": ", m_owner->Name(), ": ", m_name, ": ", what);
    m_failure = code;
  }
  return false;
}

bool ArchiveEntryStream::CheckEnd() {
  if (m_ended) return !m_failure;
  m_ended = true;
  unsigned char extra;
  if (m_source->Read(&extra, 1) > 0) return Fail(kArchiveECorrupt, "its data is longer than its recorded length");
  if (m_checking && m_crc != m_entry.crc) return Fail(kArchiveECrcMismatch, "its crc32 differs from the recorded one");
  if (m_checking) m_verified->store(1, std::memory_order_release);
  return true;
}

bool ArchiveEntryStream::Unpacked() {
  if (m_bytes) return true;
  if (m_failure) return false;
  std::unique_ptr<uint8_t[]> bytes(new uint8_t[size_t(m_length) + 1]);
  const char* what = "";
  if (ResultCode code = m_owner->Unpack(m_entry, bytes.get(), &what)) return Fail(code, what);
  if (!m_verified->load(std::memory_order_acquire)) {
    if (uint32_t(libdeflate_crc32(0, bytes.get(), size_t(m_length))) != m_entry.crc)
      return Fail(kArchiveECrcMismatch, "its crc32 differs from the recorded one");
    m_verified->store(1, std::memory_order_release);
  }
  m_bytes = std::move(bytes);
  return true;
}

int64_t ArchiveEntryStream::Read(void* buffer, int64_t n) {
  if (m_failure) return -1;
  n = std::min(n, m_length - m_pos);
  if (m_whole) {
    if (!Unpacked()) return -1;
    if (n <= 0) return 0;
    std::memcpy(buffer, m_bytes.get() + m_pos, size_t(n));
    m_pos += n;
    return n;
  }
  if (n <= 0) {
    if (m_pos == m_length && !CheckEnd()) return -1;  // an empty file is checked on its first read
    return 0;
  }
  auto* out = static_cast<unsigned char*>(buffer);
  int64_t got = 0;
  while (got < n) {
    int64_t r = m_source->Read(out + got, n - got);
    if (r <= 0) break;
    got += r;
  }
  if (got < n) {
    Fail(kArchiveETruncated, "its data ends before its recorded length");
    return -1;
  }
  if (m_checking) m_crc = uint32_t(libdeflate_crc32(m_crc, out, size_t(got)));
  m_pos += got;
  if (m_pos == m_length && !CheckEnd()) return -1;
  return got;
}

int ArchiveEntryStream::ReadByte() {
  unsigned char b;
  return Read(&b, 1) == 1 ? b : -1;
}

int ArchiveEntryStream::PeekByteAt(int64_t offset) {
  if (m_failure || offset < 0 || offset >= m_length - m_pos) return -1;  // no sum that could wrap
  if (m_whole) return Unpacked() ? m_bytes[size_t(m_pos + offset)] : -1;
  return m_source->PeekByteAt(offset);
}

int64_t ArchiveEntryStream::Skip(int64_t n) {
  if (!m_whole) return SkipByReading(n);  // skipped bytes are read through, so the crc still covers them
  if (m_failure || !Unpacked() || n <= 0) return 0;
  n = std::min(n, m_length - m_pos);
  m_pos += n;
  return n;
}

void ArchiveEntryStream::Restart() {
  m_crc = 0;
  m_checking = !m_verified->load(std::memory_order_acquire);
  m_ended = false;
}

int64_t ArchiveEntryStream::Seek(int64_t offset, int origin) {
  if (m_failure) return -1;
  int64_t base = origin == kSeekStart ? 0 : origin == kSeekEnd ? m_length : m_pos;
  int64_t to;
  if (__builtin_add_overflow(base, offset, &to) || to < 0 || to > m_length) return -1;
  if (to == m_pos) return m_pos;
  if (m_whole) return m_pos = to;  // the whole file was checked when it was unpacked
  if (m_source->Seek(to, kSeekStart) != to) return -1;
  m_pos = to;
  if (to == 0)
    Restart();
  else
    m_checking = false;
  return m_pos;
}

int64_t ArchiveEntryStream::SeekCompressed(int64_t offset, int origin) {
  if (offset == 0 && origin == kSeekCurrent) return m_pos;
  return Seek(offset, origin);
}

}  // namespace PM
