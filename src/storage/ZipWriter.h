// ZipWriter: writes a new zip archive through minizip onto an engine stream and closes it with
// the integrity trailer (docs/formats.md).
#pragma once

#include <cstddef>
#include <cstdint>

#include "core/StreamPipe.h"
#include "core/String.h"
#include "storage/ZipResult.h"

namespace PM {

class ZipWriter {
 public:
  ZipWriter() = default;
  ~ZipWriter() { Close(); }
  ZipWriter(const ZipWriter&) = delete;
  ZipWriter& operator=(const ZipWriter&) = delete;

  // Starts an archive at position 0 of `target`, which must also read and seek: the trailer's
  // crc32 is computed from the bytes read back on Close.
  ResultCode Create(const StreamPipeRef& target);
  ResultCode CreateFile(const char* path);  // a new file (an existing one is replaced)

  // Level 0 stores the bytes, 1 to 9 deflate them. Names follow the rules of IsSafeZipName.
  ResultCode AddMember(const char* name, const void* bytes, size_t n, int level = 6);
  ResultCode AddMemberFrom(const char* name, const StreamPipeRef& source, int level = 6);
  ResultCode AddDirectory(const char* name);  // "/" is appended when missing

  // Writes the central directory and the trailer. After any failure the archive is incomplete
  // and Close returns the first failure's code.
  ResultCode Close();
  bool IsOpen() const { return m_zip != nullptr; }

 private:
  ResultCode Begin(const char* name, int level, bool zip64);
  ResultCode Fail(ResultCode code, const char* what, const char* name = nullptr);

  StreamPipeRef m_target;
  String m_label;
  void* m_zip = nullptr;
  ResultCode m_failure = SOK;
};

}  // namespace PM
