#include "storage/ArchiveEntryStream.h"

#include <zlib.h>

#include <algorithm>

#include "core/Log.h"
#include "storage/Archive.h"
#include "storage/ArchiveResult.h"

namespace PM {

ArchiveEntryStream::ArchiveEntryStream(const StreamPipeRef& source, int64_t length, uint32_t crc,
                                       const String& name, std::atomic<uint8_t>* verified, const Ptr<Archive>& owner)
    : m_source(source), m_length(length), m_expectedCrc(crc), m_name(name), m_verified(verified), m_owner(owner) {
  m_crc = uint32_t(crc32(0, nullptr, 0));
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
  if (m_checking && m_crc != m_expectedCrc) return Fail(kArchiveECrcMismatch, "its crc32 differs from the recorded one");
  if (m_checking) m_verified->store(1, std::memory_order_release);
  return true;
}

int64_t ArchiveEntryStream::Read(void* buffer, int64_t n) {
  n = std::min(n, m_length - m_pos);
  if (m_failure) return 0;
  if (n <= 0) {
    if (m_pos == m_length) CheckEnd();  // an empty file is checked on its first read
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
    return 0;
  }
  if (m_checking) {
    for (int64_t done = 0; done < got;) {  // zlib takes 32-bit lengths
      uInt part = uInt(std::min<int64_t>(got - done, 1 << 30));
      m_crc = uint32_t(crc32(m_crc, out + done, part));
      done += part;
    }
  }
  m_pos += got;
  if (m_pos == m_length && !CheckEnd()) return 0;
  return got;
}

int ArchiveEntryStream::ReadByte() {
  unsigned char b;
  return Read(&b, 1) == 1 ? b : -1;
}

int ArchiveEntryStream::PeekByteAt(int64_t offset) {
  if (m_failure || offset < 0 || m_pos + offset >= m_length) return -1;
  return m_source->PeekByteAt(offset);
}

int64_t ArchiveEntryStream::Skip(int64_t n) {
  // Skipped bytes are read through, so the crc still covers the whole file.
  return SkipByReading(n);
}

int64_t ArchiveEntryStream::Seek(int64_t offset, int origin) {
  if (m_failure) return -1;
  int64_t base = origin == kSeekStart ? 0 : origin == kSeekEnd ? m_length : m_pos;
  int64_t to = base + offset;
  if (to < 0 || to > m_length) return -1;
  if (to == m_pos) return m_pos;
  if (m_source->Seek(to, kSeekStart) != to) return -1;
  m_pos = to;
  if (to == 0) {  // a rewind starts the check afresh
    m_crc = uint32_t(crc32(0, nullptr, 0));
    m_checking = !m_verified->load(std::memory_order_acquire);
    m_ended = false;
  } else {
    m_checking = false;
  }
  return m_pos;
}

int64_t ArchiveEntryStream::SeekCompressed(int64_t offset, int origin) {
  if (offset == 0 && origin == kSeekCurrent) return m_pos;
  return Seek(offset, origin);
}

}  // namespace PM
