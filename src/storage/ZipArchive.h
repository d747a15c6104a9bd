// ZipArchive: reads a zip archive from an engine stream through minizip: checks the integrity
// trailer, lists the members, opens them as streams and extracts them into a folder. The host uses
// it directly; Storage does not mount zip archives.
#pragma once

#include <cstdint>
#include <vector>

#include "core/StreamPipe.h"
#include "core/String.h"
#include "storage/ZipResult.h"

namespace PM {

struct ZipOpenOptions {
  // An archive without the integrity trailer is refused (EZipNoTrailer) unless this is set.
  // A damaged trailer is refused either way.
  bool acceptMissingTrailer = false;
  // Zip-bomb limits (EZipBomb): the declared size of one member and of all members, and the
  // declared size to compressed size ratio of members above ratioFloor bytes.
  int64_t maxMemberSize = int64_t(1) << 30;
  int64_t maxTotalSize = int64_t(4) << 30;
  int64_t maxRatio = 100;
  int64_t ratioFloor = int64_t(1) << 20;
};

struct ZipMember {
  String name;  // as stored, "/" separated; directories end in "/"
  int64_t compressedSize;
  int64_t size;  // declared uncompressed size
  uint32_t crc;
  int method;  // 0 stored, 8 deflated
  bool isDirectory;
  uint64_t directoryPos;  // where minizip finds the member again
  uint64_t directoryIndex;
};

class ZipArchive {
 public:
  ZipArchive() = default;
  ~ZipArchive() { Close(); }
  ZipArchive(const ZipArchive&) = delete;
  ZipArchive& operator=(const ZipArchive&) = delete;

  // Checks the trailer and every member's header, name and sizes; on any failure logs one error,
  // stays closed and returns the code. The stream must be readable and seekable.
  ResultCode Open(const StreamPipeRef& source, const ZipOpenOptions& options = {});
  ResultCode OpenFile(const char* path, const ZipOpenOptions& options = {});
  void Close();
  bool IsOpen() const { return !m_source.IsNull(); }
  bool HasTrailer() const { return m_hasTrailer; }

  int MemberCount() const { return int(m_members.size()); }
  const ZipMember& Member(int index) const { return m_members[size_t(index)]; }
  int FindMember(const char* name) const;  // -1 when absent

  // A stream of the member's bytes (count 0: the caller takes the first reference), or the null
  // stream after a logged error. Its Read returns -1 once the data is found to disagree with the
  // declared size or crc32; the bytes of a member are checked before its last piece is handed out.
  StreamPipe* OpenMember(int index, ResultCode* result = nullptr) const;
  StreamPipe* OpenMember(const char* name, ResultCode* result = nullptr) const;

  // Writes every member under `folder` (created when missing). Nothing is written outside it: a
  // symbolic link, a hard link, a folder or a special file in a member's way refuses the member
  // (EZipUnsafeName for links). A member that fails leaves no file behind, and the first failure
  // ends the extraction.
  ResultCode ExtractAll(const char* folder) const;

 private:
  ResultCode OpenSource(const StreamPipeRef& source, const ZipOpenOptions& options);
  ResultCode ReadDirectory(const ZipOpenOptions& options);
  ResultCode Fail(ResultCode code, const char* what, const String& detail = String());
  ResultCode ExtractMember(int rootFd, const ZipMember& member, std::vector<char>& buf) const;

  StreamPipeRef m_source;
  String m_label;
  bool m_hasTrailer = false;
  std::vector<ZipMember> m_members;
};

// True when a member name is relative and stays inside the folder it is extracted into: not empty,
// no leading "/" or "\", no drive letter, no ".." component, no NUL or control character.
bool IsSafeZipName(const char* name, size_t length);

}  // namespace PM
