#include "storage/Storage.h"

#include <sys/stat.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <mutex>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "core/Log.h"
#include "core/StartUp.h"
#include "platform/CriticalSection.h"
#include "platform/InertText.h"
#include "storage/Archive.h"
#include "storage/HttpClient.h"
#include "storage/MultipartPath.h"
#include "storage/Streams.h"

namespace PM {

namespace {

thread_local String t_readPath;

struct CachedArchive {
  Ptr<Archive> archive;
  int64_t size;
  int64_t modified;  // nanoseconds; a changed file is opened afresh
};

struct ArchiveCache {
  CriticalSection lock;
  std::unordered_map<std::string, CachedArchive> archives;
  std::atomic<int64_t> hits{0};
};

ArchiveCache& Cache() {
  static ArchiveCache cache;
  return cache;
}

bool StatRegularFile(const std::string& path, int64_t* size = nullptr, int64_t* modified = nullptr) {
  struct stat st;
  if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
  if (size) *size = st.st_size;
  if (modified) *modified = int64_t(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
  return true;
}

// The length of the archive part of `path` ("data.pmk" of "data.pmk/sub/a.txt"): the first segment
// ending in ".pmk/" in any case, when that names a regular file. 0 when the path is not inside one.
size_t ArchivePrefixLength(const std::string& path) {
  for (size_t slash = path.find('/'); slash != std::string::npos; slash = path.find('/', slash + 1)) {
    if (slash < 4 || path[slash - 4] != '.') continue;
    std::string_view ext(path.data() + slash - 3, 3);
    bool pmk = true;
    for (int i = 0; i < 3; ++i) pmk = pmk && (ext[i] | 0x20) == "pmk"[i];
    if (pmk) return StatRegularFile(path.substr(0, slash)) ? slash : 0;
  }
  return 0;
}

Ptr<Archive> CachedArchiveAt(const std::string& path, uint32_t& code) {
  int64_t size = 0, modified = 0;
  if (!StatRegularFile(path, &size, &modified)) {
    code = Storage::kNotFound;
    return nullptr;
  }
  ArchiveCache& cache = Cache();
  CriticalSectionLock hold(cache.lock);  // one thread opens an archive; the others wait and share it
  auto it = cache.archives.find(path);
  if (it != cache.archives.end() && it->second.size == size && it->second.modified == modified) {
    cache.hits.fetch_add(1, std::memory_order_relaxed);
    return it->second.archive;
  }
  Ptr<Archive> archive = Archive::Open(String(path.c_str()), &code);
  if (!archive) {
    if (it != cache.archives.end()) cache.archives.erase(it);
    return nullptr;
  }
  cache.archives[path] = CachedArchive{archive, size, modified};
  return archive;
}

HttpOptions& SharedHttpOptions() {
  static HttpOptions options;
  return options;
}
std::mutex g_httpOptionsLock;

// One search through a name's candidates. Network candidates share one deadline, and a peer that
// answered nothing (time-out, refusal, a closed connection) is not asked for the next name: a
// silent peer costs one wait, not one per candidate.
struct CandidateSearch {
  HttpOptions http = Storage::GetHttpOptions();
  std::chrono::steady_clock::time_point deadline =
      std::chrono::steady_clock::now() + std::chrono::milliseconds(http.totalTimeoutMs);
  bool networkGaveUp = false;
};

// Names the network serves: the whole body of a successful GET, or nothing with the client's code.
StreamPipe* OpenHttpStream(const std::string& url, uint32_t& code, CandidateSearch& search) {
  auto left = std::chrono::duration_cast<std::chrono::milliseconds>(search.deadline - std::chrono::steady_clock::now());
  if (search.networkGaveUp || left.count() <= 0) {
    code = ENetTimeOut;
    return nullptr;
  }
  HttpOptions options = search.http;
  int leftMs = int(left.count());
  options.totalTimeoutMs = leftMs;
  options.connectTimeoutMs = std::min(options.connectTimeoutMs, leftMs);
  options.readTimeoutMs = std::min(options.readTimeoutMs, leftMs);
  HttpResponse r = HttpClient::Get(url.c_str(), options);
  if (!r.Ok() || r.body.IsNull()) {
    if (r.status == 0) search.networkGaveUp = true;
    code = r.result == kNetOk ? ENotFound : r.result;
    return nullptr;
  }
  return r.body.DetachUncounted();
}

bool IsHttpName(const std::string& path) { return path.compare(0, 7, "http://") == 0; }

// One candidate for reading: a new stream, or null when it is not there.
StreamPipe* OpenCandidate(const std::string& path, uint32_t& code, CandidateSearch& search) {
  if (IsHttpName(path)) return OpenHttpStream(path, code, search);
  if (size_t prefix = ArchivePrefixLength(path)) {
    Ptr<Archive> archive = CachedArchiveAt(path.substr(0, prefix), code);
    if (!archive) return nullptr;
    StreamPipe* s = archive->OpenFile(std::string_view(path).substr(prefix + 1), true);
    return s == NullPipe() ? nullptr : s;
  }
  if (!StatRegularFile(path)) return nullptr;
  StreamPipe* s = OpenFileStream(path.c_str(), kModeRead | kModeQuiet);
  return s == NullPipe() ? nullptr : s;
}

// A compiled script name ("x.bsb", "x.bhb") whose text script ("x.bs", "x.bh") is there instead.
std::string TextScriptInstead(const std::vector<std::string>& candidates, CandidateSearch& search) {
  for (const std::string& c : candidates) {
    size_t n = c.size();
    if (n < 4 || c[n - 1] != 'b' || c[n - 4] != '.' || c[n - 3] != 'b' || (c[n - 2] != 's' && c[n - 2] != 'h'))
      continue;
    std::string text = c.substr(0, n - 1);
    uint32_t ignored = 0;
    StreamPipeRef probe(OpenCandidate(text, ignored, search));
    if (!probe.IsNull()) return text;
  }
  return std::string();
}

// Every DLLDeInitialize releases the calling thread's read path; the last one empties the archive cache.
const bool g_hooksRegistered = [] {
  RegisterThreadHook(kThreadStorage, "Storage", &Storage::ReleaseThreadState);
  RegisterModuleHook(0, "Storage archive cache", nullptr, &Storage::ClearArchiveCache);
  return true;
}();

}  // namespace

StreamPipe* Storage::OpenStream(const String& path, uint32_t mode, String& fullPath, ResultCode* result) {
  ResultCode ignored;
  ResultCode& code = result ? *result : ignored;
  code = 0;
  bool quiet = (mode & kModeQuiet) != 0;
  std::string name(path.CStr());
  fullPath = path;
  if (mode & kWrite) {
    if (IsHttpName(name) || ArchivePrefixLength(name)) {
      if (!quiet)
        LogWarn("Storage: ReadOnly: ", InertText(path.View()).c_str(), " is inside an archive or on the network");
      code = kNotFound;
      return NullPipe();
    }
    StreamPipe* s = OpenFileStream(name.c_str(), mode);
    if (s == NullPipe()) code = kNotFound;
    return s;
  }

  std::vector<std::string> candidates;
  if (!ExpandMultipartPath(name, candidates))
    LogError("Storage: ", InertText(path.View()).c_str(), " expands to more than ", kMaxMultipartCandidates, " names");
  uint32_t archiveCode = 0;
  CandidateSearch search;
  for (const std::string& candidate : candidates) {
    uint32_t candidateCode = 0;
    if (StreamPipe* s = OpenCandidate(candidate, candidateCode, search)) {
      fullPath = String(candidate.c_str());
      return s;
    }
    if (candidateCode != 0 && candidateCode != kNotFound && archiveCode == 0) archiveCode = candidateCode;
  }
  code = archiveCode ? archiveCode : kNotFound;
  fullPath = String();
  if (!quiet) {
    std::string text = TextScriptInstead(candidates, search);
    if (text.empty())
      LogWarn("Storage: FileNotFound: ", InertText(path.View()).c_str());
    else
      LogWarn("Storage: FileNotFound: ", InertText(path.View()).c_str(), " (the text script ", InertText(text).c_str(),
              " is there, but only compiled scripts load by this name)");
  }
  return NullPipe();
}

StreamPipe* Storage::OpenStreamSimple(const String& path, uint32_t mode) {
  String fullPath;
  return OpenStream(path, mode, fullPath);
}

String Storage::GetReadPath() { return t_readPath; }

void Storage::SetReadPath(const String& folder) {
  if (folder.IsEmpty() || folder[folder.Length() - 1] == '/')
    t_readPath = folder;
  else
    t_readPath = String::FromConcatCStr(folder, "/");
}

String Storage::PushReadPath(const String& folder) {
  String previous = t_readPath;
  SetReadPath(folder);
  return previous;
}

void Storage::RestoreReadPath(const String& previous) { t_readPath = previous; }

void Storage::ReleaseThreadState() { t_readPath = String(); }

int Storage::CachedArchiveCount() {
  ArchiveCache& cache = Cache();
  CriticalSectionLock hold(cache.lock);
  return int(cache.archives.size());
}

int64_t Storage::ArchiveCacheHits() { return Cache().hits.load(std::memory_order_relaxed); }

void Storage::SetHttpOptions(const HttpOptions& options) {
  std::lock_guard<std::mutex> hold(g_httpOptionsLock);
  SharedHttpOptions() = options;
}

HttpOptions Storage::GetHttpOptions() {
  std::lock_guard<std::mutex> hold(g_httpOptionsLock);
  return SharedHttpOptions();
}

void Storage::ClearArchiveCache() {
  ArchiveCache& cache = Cache();
  std::unordered_map<std::string, CachedArchive> gone;
  {
    CriticalSectionLock hold(cache.lock);
    gone.swap(cache.archives);
  }  // released outside the lock
}

}  // namespace PM
