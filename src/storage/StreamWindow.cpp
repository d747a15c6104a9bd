#include "storage/StreamWindow.h"

#include <algorithm>

namespace PM {

StreamWindow::StreamWindow(const StreamPipeRef& source, int64_t offset, int64_t length)
    : m_source(source), m_offset(offset), m_length(std::max<int64_t>(length, 0)) {}

int64_t StreamWindow::Read(void* buffer, int64_t n) {
  n = std::min(n, m_length - m_pos);
  if (n <= 0) return 0;
  int64_t got = m_source->ReadAt(m_offset + m_pos, buffer, n);
  if (got <= 0) return -1;  // the source is shorter than the window or failed
  m_pos += got;
  return got;
}

int StreamWindow::ReadByte() {
  unsigned char b;
  return Read(&b, 1) == 1 ? b : -1;
}

int StreamWindow::PeekByteAt(int64_t offset) {
  // Compared before it is added: a huge offset must not wrap to a place before the window.
  if (offset < 0 || offset >= m_length - m_pos) return -1;
  const int64_t at = m_pos + offset;
  unsigned char b;
  if (m_source->ReadAt(m_offset + at, &b, 1) != 1) return -1;
  return b;
}

int64_t StreamWindow::Skip(int64_t n) {
  int64_t before = m_pos;
  m_pos += std::clamp<int64_t>(n, 0, m_length - m_pos);
  return m_pos - before;
}

int64_t StreamWindow::Seek(int64_t offset, int origin) {
  int64_t base = origin == kSeekStart ? 0 : origin == kSeekEnd ? m_length : m_pos;
  int64_t to;
  if (__builtin_add_overflow(base, offset, &to) || to < 0 || to > m_length) return -1;
  m_pos = to;
  return m_pos;
}

}  // namespace PM
