// The stream of one file inside a chunked archive: its bytes (stored, or inflated from its deflate
// data) checked against the recorded length and crc32 as they are read from the start. A mismatch
// is logged with the archive's and the file's name, the bytes of the read that found it are withheld
// and every later read answers -1, so a damaged file never reads as complete.
#pragma once

#include <atomic>
#include <memory>

#include "core/Obj.h"
#include "core/ResultCode.h"
#include "core/StreamPipe.h"
#include "core/String.h"
#include "storage/Archive.h"

namespace PM {

class ArchiveEntryStream : public StreamPipe {
 public:
  // `source` gives the file's original bytes (a window, or an inflate reader over one), or with `whole`
  // its deflate data, which the archive then inflates whole on first use. `verified` is the archive's record that this
  // file has passed its check once; `owner` keeps that record and `entry` alive and names the archive.
  ArchiveEntryStream(const Ptr<Archive>& owner, const Archive::Entry& entry, const StreamPipeRef& source, bool whole,
                     const String& name, std::atomic<uint8_t>* verified);

  void Lock() override { m_source->Lock(); }
  void Unlock() override { m_source->Unlock(); }
  int64_t Read(void* buffer, int64_t n) override;
  int ReadByte() override;
  int PeekByte() override { return PeekByteAt(0); }
  int PeekByteAt(int64_t offset) override;
  int64_t Skip(int64_t n) override;
  int64_t Seek(int64_t offset, int origin) override;
  int64_t SeekCompressed(int64_t offset, int origin) override;
  int64_t GetFileLength() override { return m_length; }
  int32_t GetFileTime(int64_t* creation, int64_t* access, int64_t* lastWrite) override {
    return m_source->GetFileTime(creation, access, lastWrite);
  }

  // The archive code of the first fault found (kArchiveOk while none).
  ResultCode Failure() const { return m_failure; }
  // Fails the stream before its first read (logged like any fault).
  void FailNow(ResultCode code, const char* what) { Fail(code, what); }

 private:
  bool Fail(ResultCode code, const char* what);  // logs once; the stream then answers -1
  bool CheckEnd();                               // the length and crc checks once all bytes are read
  bool Unpacked();                               // whole files: unpacked and checked on first use
  void Restart();                                // back to the start with the check afresh

  Ptr<Archive> m_owner;
  const Archive::Entry& m_entry;
  StreamPipeRef m_source;
  bool m_whole;
  std::unique_ptr<uint8_t[]> m_bytes;  // a whole file's bytes once unpacked
  int64_t m_length;
  String m_name;
  std::atomic<uint8_t>* m_verified;
  int64_t m_pos = 0;
  uint32_t m_crc = 0;
  bool m_checking = true;  // false after a seek away from the sequential order
  bool m_ended = false;
  ResultCode m_failure = SOK;
};

}  // namespace PM
