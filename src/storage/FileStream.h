// FileStream: a file on disk read and written at the stream's position, with no buffer of its own
// beyond the system's caching. Read errors and write errors answer -1 and are logged.
#pragma once

#include <cstdint>

#include "storage/LockedStream.h"

namespace PM {

class FileStream : public LockedStream {
 public:
  // Takes over an open descriptor; `path` names it in messages.
  FileStream(int fd, uint32_t mode, const char* path);
  ~FileStream() override;

  // Opens `path` in a StreamMode; logs a failure (unless kModeQuiet) and answers -1.
  static int OpenDescriptor(const char* path, uint32_t mode, const char* who);

  int64_t Read(void* buffer, int64_t n) override;
  int ReadByte() override;
  int PeekByte() override;
  int PeekByteAt(int64_t offset) override;
  int64_t Skip(int64_t n) override;
  int64_t Write(const void* bytes, int64_t n) override;
  int32_t Truncate() override;
  int32_t Flush() override;
  int64_t Seek(int64_t offset, int origin) override;
  int64_t SeekCompressed(int64_t offset, int origin) override { return Seek(offset, origin); }
  int64_t GetFileLength() override;
  int32_t GetFileTime(int64_t* creation, int64_t* access, int64_t* lastWrite) override;
  int32_t SetFileTime(const int64_t* creation, const int64_t* access, const int64_t* lastWrite) override;
  int64_t ReadAt(int64_t pos, void* buffer, int64_t n) override;  // pread: no lock, no shared position

 protected:
  int64_t WriteAt(int64_t pos, const void* bytes, int64_t n);

  int m_fd;
  uint32_t m_mode;
  int64_t m_pos = 0;
  String m_path;
};

}  // namespace PM
