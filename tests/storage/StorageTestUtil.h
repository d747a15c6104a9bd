// Helpers of the storage suites: a byte-counting stream, archives built in memory.
#pragma once

#include <atomic>
#include <string>
#include <vector>

#include "core/Log.h"
#include "storage/ArchiveWriter.h"
#include "storage/Streams.h"
#include "support/LogCapture.h"

namespace PM::Test::StorageKit {

// Passes reads through to a source and adds up the bytes read.
class CountingStream : public StreamPipe {
 public:
  CountingStream(StreamPipe* source, std::atomic<int64_t>* count) : m_source(source), m_count(count) {}
  int64_t Read(void* b, int64_t n) override {
    int64_t r = m_source->Read(b, n);
    if (r > 0) m_count->fetch_add(r);
    return r;
  }
  int ReadByte() override {
    unsigned char c;
    return Read(&c, 1) == 1 ? c : -1;
  }
  int64_t Seek(int64_t o, int origin) override { return m_source->Seek(o, origin); }
  int64_t GetFileLength() override { return m_source->GetFileLength(); }

 private:
  StreamPipeRef m_source;
  std::atomic<int64_t>* m_count;
};

struct ArchiveFile {
  std::string path;
  std::string bytes;
  uint32_t method = 0;
};

// The bytes of an archive written by the engine's writer.
inline std::string BuildArchive(const std::vector<ArchiveFile>& files) {
  StreamPipeRef target(NewMemoryStream());
  {
    ArchiveWriter w(target, "built.pmk");
    for (const ArchiveFile& f : files) w.AddFile(f.path.c_str(), f.bytes.data(), f.bytes.size(), f.method);
    w.Finish();
  }
  size_t n = 0;
  const uint8_t* p = MemoryStreamData(target.Get(), &n);
  return std::string(reinterpret_cast<const char*>(p), n);
}

}  // namespace PM::Test::StorageKit
