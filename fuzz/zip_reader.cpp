// Opens the input as a zip archive (with and without the trailer requirement) and reads every
// member to its end; malformed input must be refused or read without a fault.
#include <cstdint>
#include <cstdlib>

#include "core/Log.h"
#include "storage/Streams.h"
#include "storage/ZipArchive.h"

using namespace PM;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  g_LogLevel = kLevelError;  // the refusals are expected; keep the run quiet
  StreamPipeRef source(NewMemoryViewStream(data, size));
  ZipOpenOptions options;
  options.maxMemberSize = 1 << 20;
  options.maxTotalSize = 4 << 20;
  for (bool untrailed : {false, true}) {
    options.acceptMissingTrailer = untrailed;
    ZipArchive zip;
    if (zip.Open(source, options) != 0) continue;
    static char buf[1 << 14];
    for (int i = 0; i < zip.MemberCount(); ++i) {
      StreamPipeRef member(zip.OpenMember(i));
      int64_t total = 0;
      for (int64_t n; (n = member->Read(buf, sizeof buf)) > 0;) total += n;
      if (total > zip.Member(i).size) std::abort();  // never more than the declared size
      member->Seek(0, kSeekStart);
      member->PeekByteAt(3);
    }
  }
  return 0;
}
