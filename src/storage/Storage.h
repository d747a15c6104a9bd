// Storage: where the engine finds its files. Opens plain files, multipart names and files inside
// chunked archives (a path segment ending in ".pmk/"), keeps opened archives in a shared cache, and
// keeps a read path per thread for scripts and the file objects they create.
#pragma once

#include <cstdint>

#include "core/ResultCode.h"
#include "core/StreamPipe.h"
#include "core/String.h"
#include "storage/HttpClient.h"

namespace PM {

class Storage {
 public:
  Storage() = delete;

  // Open modes: read, read without logging a missing file, write a new plain file.
  static constexpr uint32_t kRead = 0x1;
  static constexpr uint32_t kReadQuiet = 0x10000001;
  static constexpr uint32_t kWrite = 0xE;
  static constexpr ResultCode kNotFound = ENotFound;

  // Never null: the null stream when nothing is found (logged "Storage: FileNotFound: " unless the mode
  // is quiet). The stream comes with count 0. `fullPath` receives the candidate that was opened;
  // `result` (when given) 0, kNotFound or the code of a refused archive.
  static StreamPipe* OpenStream(const String& path, uint32_t mode, String& fullPath, ResultCode* result = nullptr);
  static StreamPipe* OpenStreamSimple(const String& path, uint32_t mode);

  // The calling thread's read path: ends in "/" when set, empty when none is set.
  static String GetReadPath();
  static void SetReadPath(const String& folder);  // a "/" is appended when missing
  // Sets the read path and returns the previous one, for RestoreReadPath when the script ends.
  static String PushReadPath(const String& folder);
  static void RestoreReadPath(const String& previous);
  // Releases the calling thread's storage state (DLLDeInitialize, on every call).
  static void ReleaseThreadState();

  // The archive cache: archives opened so far, lookups answered from it, and emptying it (shutdown).
  static int CachedArchiveCount();
  static int64_t ArchiveCacheHits();
  static void ClearArchiveCache();

  // The time-outs and limits of "http://" names. One OpenStream waits at most totalTimeoutMs for all
  // of a name's candidates together, and stops asking a peer that gave no answer to one of them.
  static void SetHttpOptions(const HttpOptions& options);
  static HttpOptions GetHttpOptions();
};

// Holds a pushed read path for a scope: a running script, a nested include.
class ReadPathScope {
 public:
  explicit ReadPathScope(const String& folder) : m_previous(Storage::PushReadPath(folder)) {}
  ~ReadPathScope() { Storage::RestoreReadPath(m_previous); }
  ReadPathScope(const ReadPathScope&) = delete;
  ReadPathScope& operator=(const ReadPathScope&) = delete;

 private:
  String m_previous;
};

}  // namespace PM
