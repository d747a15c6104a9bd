// Feeds arbitrary bytes to the chunked archive reader and reads every file it accepts.
#include <cstdint>
#include <vector>

#include "core/Log.h"
#include "storage/Archive.h"
#include "storage/Streams.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  PM::g_LogLevel = PM::kLevelError;  // refusals are expected here; keep the run quiet
  PM::Ptr<PM::Archive> archive = PM::Archive::OpenWith("fuzz.pmk", [=] { return PM::NewMemoryViewStream(data, size); });
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
