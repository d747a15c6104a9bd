// The chunked archive reader: parses an archive's index once (never its file data) and opens each
// file inside as a stream of its own over the one open archive file, read positionally. Immutable
// after Open, so one archive serves every thread.
#pragma once

#include <atomic>
#include <functional>
#include <string>
#include <unordered_map>
#include <vector>

#include "core/Obj.h"
#include "core/StreamPipe.h"
#include "core/String.h"
#include "storage/ArchiveResult.h"

namespace PM {

class ArchiveEntryStream;

class Archive {
 public:
  // Opens a new stream (count 0) on the whole archive, or the null stream; called once, by Open. Every
  // file is then read from that stream through ReadAt.
  using Opener = std::function<StreamPipe*()>;

  // Deflated files up to this size (and whose deflate data is no larger than stored blocks make it) are
  // inflated whole on first use; larger ones are inflated as a stream.
  static constexpr int64_t kWholeInflateLimit = int64_t(16) << 20;

  struct Entry {
    int64_t offset;  // from the start of the DATA payload
    int64_t storedSize;
    int64_t originalSize;
    uint32_t crc;
    uint32_t method;
    uint32_t index = 0;  // the file's place in FileNames()
  };

  // Opens the archive file at `path`. A bad archive is refused with a logged error naming it:
  // the result is null and `*result` (when given) holds the archive code.
  static Ptr<Archive> Open(const String& path, ResultCode* result = nullptr);
  // The same over any source; `name` is what errors call the archive.
  static Ptr<Archive> OpenWith(const String& name, Opener opener, ResultCode* result = nullptr);

  const String& Name() const { return m_name; }
  int FileCount() const { return int(m_entries.size()); }
  // Inner paths ("sub/a.txt") in the order of the archive's tree.
  const std::vector<std::string>& FileNames() const { return m_order; }
  const Entry* Find(std::string_view innerPath) const;

  // A new stream (count 0) of the file's original bytes, or the null stream when the archive has no
  // such file (logged unless `quiet`).
  StreamPipe* OpenFile(std::string_view innerPath, bool quiet = false) const;
  // Reads a whole file and checks it: kArchiveOk, kArchiveENotFound, ETruncated, ECorrupt or ECrcMismatch.
  ResultCode ReadFile(std::string_view innerPath, std::vector<uint8_t>& out) const;

  // True when the file is to be inflated whole rather than as a stream.
  static bool InflatesWhole(const Entry& e);
  // The file's original bytes, all `e.originalSize` of them, into `out`: stored bytes read, deflate data
  // inflated in one call. Checks the lengths (not the crc32); a failure names what was wrong in `what`.
  ResultCode Unpack(const Entry& e, uint8_t* out, const char** what) const;

  Archive(const String& name, Opener opener) : m_name(name), m_opener(std::move(opener)) {}

 private:
  friend class ArchiveIndexReader;
  ArchiveEntryStream* NewEntryStream(const Entry& e, std::string_view innerPath) const;
  bool ChangedOnDisk() const;  // the file's length or time differs from what Open saw

  String m_name;
  Opener m_opener;
  StreamPipeRef m_file;  // the archive, opened once
  int64_t m_length = 0;  // its length and last write time at Open
  int64_t m_lastWrite = 0;
  int64_t m_dataStart = 0;  // the DATA payload's offset in the archive file
  std::unordered_map<std::string, Entry> m_entries;
  std::vector<std::string> m_order;
  // Set once a file has been read whole with a matching crc32: later reads skip the check.
  mutable std::vector<std::atomic<uint8_t>> m_verified;
};

}  // namespace PM
