// Feeds arbitrary bytes to the chunked archive reader and reads every file it accepts.
#include <cstdint>
#include <cstring>
#include <vector>

#include "core/Log.h"
#include "storage/Archive.h"

namespace {

// A read-only view of the input, so the target depends on nothing but the reader.
class InputStream : public PM::StreamPipe {
 public:
  InputStream(const uint8_t* data, size_t size) : m_data(data), m_size(int64_t(size)) {}
  int64_t Read(void* b, int64_t n) override {
    n = std::min(n, m_size - m_pos);
    if (n <= 0) return 0;
    std::memcpy(b, m_data + m_pos, size_t(n));
    m_pos += n;
    return n;
  }
  int ReadByte() override { return m_pos < m_size ? m_data[m_pos++] : -1; }
  int PeekByteAt(int64_t o) override { return o >= 0 && m_pos + o < m_size ? m_data[m_pos + o] : -1; }
  int PeekByte() override { return PeekByteAt(0); }
  int64_t Seek(int64_t o, int origin) override {
    int64_t to = (origin == PM::kSeekStart ? 0 : origin == PM::kSeekEnd ? m_size : m_pos) + o;
    if (to < 0 || to > m_size) return -1;
    return m_pos = to;
  }
  int64_t GetFileLength() override { return m_size; }

 private:
  const uint8_t* m_data;
  int64_t m_size;
  int64_t m_pos = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  PM::g_LogLevel = PM::kLevelError;  // refusals are expected here; keep the run quiet
  PM::Ptr<PM::Archive> archive =
      PM::Archive::OpenWith("fuzz.pmk", [=] { return PM::NewCounted<InputStream>(data, size); });
  if (!archive) return 0;
  std::vector<uint8_t> out;
  for (const std::string& name : archive->FileNames()) {
    archive->ReadFile(name, out);
    PM::StreamPipeRef s(archive->OpenFile(name));
    s->PeekByteAt(3);
    s->Seek(-1, PM::kSeekEnd);
    s->ReadByte();
  }
  return 0;
}
