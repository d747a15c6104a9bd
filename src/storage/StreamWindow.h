// A read-only view of the bytes [offset, offset + length) of a source stream: what an archive hands out
// for one stored file, so nothing outside that range can be read through it. It reads the source only
// positionally (ReadAt), so many windows share one open source without disturbing each other. A source
// that ends before the window does is a failure (-1), not the window's end.
#pragma once

#include "core/StreamPipe.h"

namespace PM {

class StreamWindow : public StreamPipe {
 public:
  StreamWindow(const StreamPipeRef& source, int64_t offset, int64_t length);

  void Lock() override { m_source->Lock(); }
  void Unlock() override { m_source->Unlock(); }
  int64_t Read(void* buffer, int64_t n) override;
  int ReadByte() override;
  int PeekByte() override { return PeekByteAt(0); }
  int PeekByteAt(int64_t offset) override;
  int64_t Skip(int64_t n) override;
  int64_t Seek(int64_t offset, int origin) override;
  int64_t SeekCompressed(int64_t offset, int origin) override { return Seek(offset, origin); }
  int64_t GetFileLength() override { return m_length; }
  int32_t GetFileTime(int64_t* creation, int64_t* access, int64_t* lastWrite) override {
    return m_source->GetFileTime(creation, access, lastWrite);
  }

 private:
  StreamPipeRef m_source;
  int64_t m_offset;
  int64_t m_length;
  int64_t m_pos = 0;
};

}  // namespace PM
