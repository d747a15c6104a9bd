// Writes a chunked archive into a seekable stream: file data is streamed out as files are added,
// and the tree and the lengths are written by Finish.
#pragma once

#include <string>
#include <vector>

#include "core/StreamPipe.h"
#include "core/String.h"
#include "storage/Archive.h"
#include "storage/ArchiveResult.h"

namespace PM {

class ArchiveWriter {
 public:
  // `name` is what errors call the archive being written.
  ArchiveWriter(const StreamPipeRef& target, const String& name);
  ~ArchiveWriter();  // an unfinished archive is finished
  ArchiveWriter(const ArchiveWriter&) = delete;
  ArchiveWriter& operator=(const ArchiveWriter&) = delete;

  // Adds a file at `innerPath` ("sub/a.txt"); folders are created on first mention and keep the order
  // in which they and their files were added. Method 0 stores, 1 deflates.
  ResultCode AddFile(const String& innerPath, const void* bytes, size_t n, uint32_t method);
  // Writes the tree and the lengths; the first error of any step, or kArchiveOk.
  ResultCode Finish();

 private:
  struct Node {
    std::string name;
    bool isDir;
    Archive::Entry entry;
    std::vector<Node> children;
  };
  static void PutTree(const std::vector<Node>& nodes, std::vector<uint8_t>& out);
  template <class... A>
  ResultCode Fail(ResultCode code, const A&... parts);
  bool WriteAll(const void* bytes, int64_t n);
  bool PatchU32(int64_t at, uint32_t value);
  int64_t Position() { return m_target->Seek(0, kSeekCurrent); }

  StreamPipeRef m_target;
  String m_name;
  int64_t m_base;  // where the ARCH chunk begins in the target
  int64_t m_dataLength = 0;
  uint32_t m_fileCount = 0;
  ResultCode m_result = kArchiveOk;
  bool m_finished = false;
  std::vector<Node> m_root;
};

}  // namespace PM
