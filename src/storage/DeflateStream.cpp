#include "storage/DeflateStream.h"

#include <algorithm>
#include <climits>
#include <cstring>

#include "core/Log.h"
#include "storage/Streams.h"

namespace PM {

namespace {
constexpr size_t kChunk = 64 * 1024;
}

// ---- DeflateWriter ---------------------------------------------------------------------------

DeflateWriter::DeflateWriter(const StreamPipeRef& target, int level) : m_target(target), m_out(kChunk) {
  int r = deflateInit(&m_z, level);
  m_open = r == Z_OK;
  if (!m_open) LogError("DeflateStream: cannot start compressing at level ", int32_t(level), ".");
}

DeflateWriter::~DeflateWriter() {
  if (!m_open) return;
  if (!m_failed) {
    m_z.next_in = nullptr;
    m_z.avail_in = 0;
    if (Run(Z_FINISH)) m_target->Flush();
  }
  deflateEnd(&m_z);
}

bool DeflateWriter::Run(int flush) {
  for (;;) {
    m_z.next_out = m_out.data();
    m_z.avail_out = uInt(m_out.size());
    int r = deflate(&m_z, flush);
    if (r == Z_STREAM_ERROR) {
      m_failed = true;
      LogError("DeflateStream: compression failed.");
      return false;
    }
    int64_t produced = int64_t(m_out.size() - m_z.avail_out);
    if (produced && m_target->Write(m_out.data(), produced) != produced) {
      m_failed = true;
      LogError("DeflateStream: the target stream refused the compressed data.");
      return false;
    }
    // Done when the input is used up and deflate had room to spare (or reached the end).
    if (r == Z_STREAM_END || (m_z.avail_in == 0 && m_z.avail_out != 0)) return true;
  }
}

int64_t DeflateWriter::Write(const void* bytes, int64_t n) {
  Hold hold(this);
  if (!m_open || m_failed) return -1;
  if (n <= 0 || !bytes) return 0;
  const Bytef* p = static_cast<const Bytef*>(bytes);
  for (int64_t left = n; left > 0;) {
    uInt piece = uInt(std::min<int64_t>(left, INT_MAX));
    m_z.next_in = const_cast<Bytef*>(p);
    m_z.avail_in = piece;
    if (!Run(Z_NO_FLUSH)) return -1;
    p += piece;
    left -= piece;
  }
  m_written += n;
  return n;
}

int32_t DeflateWriter::Flush() {
  Hold hold(this);
  if (!m_open || m_failed) return 0;
  m_z.next_in = nullptr;
  m_z.avail_in = 0;
  if (!Run(Z_SYNC_FLUSH)) return 0;
  m_target->Flush();
  return 1;
}

int64_t DeflateWriter::Seek(int64_t offset, int origin) {
  Hold hold(this);
  int64_t target = SeekTarget(offset, origin, m_written, m_written);
  return target == m_written ? target : -1;
}

int64_t DeflateWriter::GetFileLength() {
  Hold hold(this);
  return m_written;
}

StreamPipe* NewDeflateWriter(const StreamPipeRef& target, int level) {
  auto* w = NewCounted<DeflateWriter>(target, level);
  if (w->IsOpen()) return w;
  StreamPipeRef drop(w);  // frees it
  return NullPipe();
}

// ---- InflateReader ---------------------------------------------------------------------------

InflateReader::InflateReader(const StreamPipeRef& source, int64_t compressedLength)
    : m_source(source),
      m_sourceStart(source->Seek(0, kSeekCurrent)),
      m_limit(compressedLength),
      m_in(kChunk),
      m_buf(kChunk) {
  m_started = inflateInit(&m_z) == Z_OK;
  if (!m_started) Fail("cannot start decoding");
}

InflateReader::~InflateReader() {
  if (m_started) inflateEnd(&m_z);
}

void InflateReader::Fail(const char* what) {
  m_state = kFailed;
  LogError("InflateStream: ", what, ".");
}

int64_t InflateReader::Decode(uint8_t* out, int64_t n) {
  int64_t done = 0;
  while (done < n && m_state == kDecoding) {
    if (m_z.avail_in == 0) {
      int64_t want = int64_t(m_in.size());
      if (m_limit >= 0) want = std::min(want, m_limit - m_consumed);
      int64_t got = want > 0 ? m_source->Read(m_in.data(), want) : 0;
      if (got <= 0) {
        Fail(got < 0 ? "the compressed stream cannot be read" : "the compressed data ends early");
        break;
      }
      m_consumed += got;
      m_z.next_in = m_in.data();
      m_z.avail_in = uInt(got);
    }
    m_z.next_out = out + done;
    m_z.avail_out = uInt(std::min<int64_t>(n - done, INT_MAX));
    uInt before = m_z.avail_out;
    int r = inflate(&m_z, Z_NO_FLUSH);
    done += before - m_z.avail_out;
    if (r == Z_STREAM_END) {
      m_state = kEnded;
    } else if (r != Z_OK && r != Z_BUF_ERROR) {
      Fail(m_z.msg ? m_z.msg : "the compressed data is corrupt");
    }
  }
  return done;
}

int64_t InflateReader::Read(void* buffer, int64_t n) {
  Hold hold(this);
  if (n <= 0 || !buffer) return 0;
  uint8_t* out = static_cast<uint8_t*>(buffer);
  int64_t done = std::min<int64_t>(n, int64_t(m_bufLen - m_bufPos));
  std::memcpy(out, m_buf.data() + m_bufPos, size_t(done));
  m_bufPos += size_t(done);
  if (done < n) {
    if (n - done >= int64_t(m_buf.size())) {
      done += Decode(out + done, n - done);  // large reads decode straight into the caller's buffer
    } else {
      m_bufLen = size_t(Decode(m_buf.data(), int64_t(m_buf.size())));
      m_bufPos = std::min<size_t>(m_bufLen, size_t(n - done));
      std::memcpy(out + done, m_buf.data(), m_bufPos);
      done += int64_t(m_bufPos);
    }
  }
  m_pos += done;
  if (m_state == kEnded && m_bufPos == m_bufLen) m_length = m_pos;
  return done == 0 && m_state == kFailed ? -1 : done;
}

int InflateReader::ReadByte() {
  Hold hold(this);
  uint8_t c;
  return Read(&c, 1) == 1 ? c : -1;
}

int InflateReader::PeekByte() { return PeekByteAt(0); }

int InflateReader::PeekByteAt(int64_t offset) {
  Hold hold(this);
  if (offset >= 0 && offset < int64_t(m_bufLen - m_bufPos)) return m_buf[m_bufPos + size_t(offset)];
  if (offset == 0) {  // refill the buffer without handing anything out
    m_bufLen = size_t(Decode(m_buf.data(), int64_t(m_buf.size())));
    m_bufPos = 0;
    return m_bufLen ? m_buf[0] : -1;
  }
  int64_t here = m_pos;
  int c = Seek(offset, kSeekCurrent) >= 0 ? ReadByte() : -1;
  Seek(here, kSeekStart);
  return c;
}

int64_t InflateReader::SkipForward(int64_t n) { return SkipByReading(n); }

int64_t InflateReader::Skip(int64_t n) {
  Hold hold(this);
  return n > 0 ? SkipForward(n) : 0;
}

bool InflateReader::Restart() {
  if (m_sourceStart < 0 || m_source->Seek(m_sourceStart, kSeekStart) != m_sourceStart) {
    LogError("InflateStream: cannot seek back in the compressed stream.");
    return false;
  }
  if (m_started) inflateReset(&m_z);
  m_z.avail_in = 0;
  m_consumed = 0;
  m_pos = 0;
  m_bufPos = m_bufLen = 0;
  m_state = m_started ? kDecoding : kFailed;
  return true;
}

int64_t InflateReader::Seek(int64_t offset, int origin) {
  Hold hold(this);
  int64_t length = origin == kSeekEnd ? GetFileLength() : 0;
  int64_t target = SeekTarget(offset, origin, m_pos, length);
  if (target < 0) return -1;
  if (target < m_pos && !Restart()) return -1;
  SkipForward(target - m_pos);
  return m_pos;  // a target past the end stops at the end
}

int64_t InflateReader::GetFileLength() {
  Hold hold(this);
  if (m_length >= 0) return m_length;
  int64_t here = m_pos;
  SkipForward(INT64_MAX);
  int64_t end = m_pos;
  if (m_state == kEnded) m_length = end;
  if (here != end && Restart()) SkipForward(here);
  return end;
}

StreamPipe* NewInflateReader(const StreamPipeRef& source, int64_t compressedLength) {
  return NewCounted<InflateReader>(source, compressedLength);
}

}  // namespace PM
