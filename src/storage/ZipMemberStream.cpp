#include "storage/ZipMemberStream.h"

#include <minizip/unzip.h>

#include <algorithm>
#include <cstring>

#include "core/Log.h"
#include "storage/ZipStreamIO.h"

namespace PM {

ZipMemberStream::ZipMemberStream(const StreamPipeRef& source, const ZipMember& member)
    : m_source(source), m_member(member) {}

ZipMemberStream::~ZipMemberStream() { StopInflate(); }

void ZipMemberStream::StopInflate() {
  if (m_current) unzCloseCurrentFile(m_unz);
  if (m_unz) unzClose(m_unz);
  m_current = false;
  m_unz = nullptr;
}

void ZipMemberStream::Fail(const char* why, ResultCode code) {
  m_failed = true;
  m_bufAt = m_bufEnd = 0;
  StopInflate();
  LogError("ZipArchive: ", ResultCodeName(code), ": member \"", m_member.name, "\" ", why, ".");
}

ResultCode ZipMemberStream::Start() {
  StopInflate();
  m_failed = false;
  m_pos = m_inflated = 0;
  m_bufAt = m_bufEnd = 0;
  zlib_filefunc64_def io;
  FillZipStreamIO(&io, m_source.Get());
  m_unz = unzOpen2_64("zip", &io);
  unz64_file_pos at{m_member.directoryPos, m_member.directoryIndex};
  if (!m_unz || unzGoToFilePos64(m_unz, &at) != UNZ_OK || unzOpenCurrentFile(m_unz) != UNZ_OK) {
    Fail("cannot be opened (its archive changed or cannot be read)", EZipFormat);
    return EZipFormat;
  }
  m_current = true;
  return SOK;
}

bool ZipMemberStream::Fill() {
  if (m_failed || !m_current) return false;
  int n = unzReadCurrentFile(m_unz, m_buf, sizeof m_buf);
  if (n < 0) {
    Fail("holds data that cannot be inflated");
    return false;
  }
  m_inflated += n;
  if (m_inflated == m_member.size) {
    // Checked here, before the last piece is handed out, so damaged bytes never pass as good ones.
    int closed = unzCloseCurrentFile(m_unz);
    m_current = false;
    if (closed != UNZ_OK) {
      Fail(closed == UNZ_CRCERROR ? "does not match its crc32" : "cannot be read to its end");
      return false;
    }
  } else if (n == 0) {
    Fail("ends before its declared size");
    return false;
  }
  m_bufAt = 0;
  m_bufEnd = n;
  return n > 0;
}

int64_t ZipMemberStream::Read(void* buffer, int64_t n) {
  int64_t copied = 0;
  while (copied < n) {
    if (m_bufAt == m_bufEnd && !Fill()) break;
    int64_t take = std::min<int64_t>(n - copied, m_bufEnd - m_bufAt);
    std::memcpy(static_cast<char*>(buffer) + copied, m_buf + m_bufAt, size_t(take));
    m_bufAt += int(take);
    copied += take;
  }
  m_pos += copied;
  return m_failed ? -1 : copied;
}

int ZipMemberStream::ReadByte() {
  if (m_bufAt == m_bufEnd && !Fill()) return -1;
  ++m_pos;
  return m_buf[m_bufAt++];
}

int ZipMemberStream::PeekByteAt(int64_t offset) {
  if (offset < 0) return -1;
  if (m_bufAt == m_bufEnd && !Fill()) return -1;
  return offset < m_bufEnd - m_bufAt ? m_buf[m_bufAt + offset] : -1;
}

int64_t ZipMemberStream::Skip(int64_t n) {
  int64_t skipped = 0;
  while (skipped < n) {
    if (m_bufAt == m_bufEnd && !Fill()) break;
    int64_t take = std::min<int64_t>(n - skipped, m_bufEnd - m_bufAt);
    m_bufAt += int(take);
    skipped += take;
  }
  m_pos += skipped;
  return skipped;
}

int64_t ZipMemberStream::Seek(int64_t offset, int origin) {
  const int64_t base = origin == kSeekStart ? 0 : origin == kSeekCurrent ? m_pos : int64_t(m_member.size);
  int64_t target;
  if (__builtin_add_overflow(base, offset, &target) || target < 0 || target > m_member.size) return -1;
  if (target == m_pos) return m_pos;
  if (target < m_pos && Start() != SOK) return -1;
  Skip(target - m_pos);
  return m_pos == target ? m_pos : -1;
}

}  // namespace PM
