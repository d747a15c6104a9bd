// DeflateStream: zlib-format compression layered on another stream. DeflateWriter compresses what
// is written into its target and finishes the zlib stream when released; InflateReader decodes a
// zlib stream from its source, seeking forward by decoding and backward by starting over.
#pragma once

#include <zlib.h>

#include <cstdint>
#include <vector>

#include "storage/LockedStream.h"

namespace PM {

class DeflateWriter : public LockedStream {
 public:
  DeflateWriter(const StreamPipeRef& target, int level);
  ~DeflateWriter() override;  // finishes the zlib stream
  bool IsOpen() const { return m_open; }

  int64_t Write(const void* bytes, int64_t n) override;
  // Pushes everything written so far through to the target (a zlib sync flush); the stream stays open,
  // so a line end written through it does not end the compressed data.
  int32_t Flush() override;
  int64_t Seek(int64_t offset, int origin) override;  // only the current position can be asked for
  int64_t SeekCompressed(int64_t offset, int origin) override { return Seek(offset, origin); }
  int64_t GetFileLength() override;  // the bytes written so far

 private:
  bool Run(int flush);  // deflate what is pending with this flush mode, passing output on; false on failure

  StreamPipeRef m_target;
  z_stream m_z{};
  bool m_open = false;
  bool m_failed = false;
  int64_t m_written = 0;
  std::vector<uint8_t> m_out;
};

class InflateReader : public LockedStream {
 public:
  InflateReader(const StreamPipeRef& source, int64_t compressedLength);
  ~InflateReader() override;

  // Bytes decoded; 0 at the end; -1 once the data turned out corrupt or cut short (logged).
  int64_t Read(void* buffer, int64_t n) override;
  int ReadByte() override;
  int PeekByte() override;
  int PeekByteAt(int64_t offset) override;
  int64_t Skip(int64_t n) override;
  int64_t Write(const void*, int64_t) override { return -1; }
  int64_t Seek(int64_t offset, int origin) override;  // in the decoded data
  int64_t SeekCompressed(int64_t offset, int origin) override { return Seek(offset, origin); }
  int64_t GetFileLength() override;  // the decoded length (found by decoding once)

 private:
  enum State { kDecoding, kEnded, kFailed };
  int64_t Decode(uint8_t* out, int64_t n);  // up to n decoded bytes; stops early only at the end or a failure
  bool Restart();
  int64_t SkipForward(int64_t n);
  void Fail(const char* what);

  StreamPipeRef m_source;
  int64_t m_sourceStart;
  int64_t m_limit;         // compressed bytes to read, -1 for all
  int64_t m_consumed = 0;  // compressed bytes taken from the source
  z_stream m_z{};
  bool m_started = false;
  State m_state = kDecoding;
  int64_t m_pos = 0;      // decoded bytes handed out
  int64_t m_length = -1;  // decoded length once known
  std::vector<uint8_t> m_in, m_buf;
  size_t m_bufPos = 0, m_bufLen = 0;  // decoded bytes not yet handed out
};

}  // namespace PM
