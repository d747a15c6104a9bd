// Fuzzes the inflating stream: any bytes must read as data or as a logged failure, never a crash,
// and seeking back must give the same bytes again.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "core/Log.h"
#include "storage/Streams.h"

using namespace PM;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const bool quiet = (g_LogLevel = kLevelFatal - 1, true);  // no error lines on the console
  (void)quiet;
  StreamPipeRef r(NewInflateReader(StreamPipeRef(NewMemoryViewStream(data, size))));
  std::vector<uint8_t> first, again;
  uint8_t buf[4096];
  size_t piece = 1;
  for (int64_t n; (n = r->Read(buf, int64_t(piece))) > 0 && first.size() < (8u << 20);) {
    first.insert(first.end(), buf, buf + n);
    piece = piece * 7 % sizeof buf + 1;
  }
  if (r->Seek(0, kSeekStart) != 0) __builtin_trap();
  int c0 = r->PeekByte();
  if (!first.empty() && c0 != first[0]) __builtin_trap();
  for (int64_t n; (n = r->Read(buf, sizeof buf)) > 0 && again.size() < first.size();)
    again.insert(again.end(), buf, buf + n);
  if (again.size() > first.size()) again.resize(first.size());
  if (again != first) __builtin_trap();
  return 0;
}
