// ZipMemberStream: the bytes of one zip member, read through minizip from the archive's source
// stream with a handle of its own, so several members can be read at once.
#pragma once

#include <cstdint>

#include "core/StreamPipe.h"
#include "storage/ZipArchive.h"

namespace PM {

class ZipMemberStream : public StreamPipe {
 public:
  ZipMemberStream(const StreamPipeRef& source, const ZipMember& member);
  ~ZipMemberStream() override;
  ResultCode Start();  // positions minizip on the member; SOK or a logged error

  int64_t Read(void* buffer, int64_t n) override;
  int ReadByte() override;
  int PeekByte() override { return PeekByteAt(0); }
  int PeekByteAt(int64_t offset) override;  // within the read-ahead buffer only
  int64_t Skip(int64_t n) override;
  int64_t Seek(int64_t offset, int origin) override;  // backwards restarts the member
  int64_t GetFileLength() override { return m_member.size; }

 private:
  bool Fill();  // refills the read-ahead buffer; false at the end or after a failure
  void StopInflate();
  void Fail(const char* why, ResultCode code = EZipBadMember);

  StreamPipeRef m_source;
  ZipMember m_member;
  void* m_unz = nullptr;
  bool m_current = false;  // a member is open in minizip
  bool m_failed = false;
  int64_t m_pos = 0;       // bytes handed out
  int64_t m_inflated = 0;  // bytes taken from minizip
  int m_bufAt = 0, m_bufEnd = 0;
  unsigned char m_buf[1 << 16];
};

}  // namespace PM
