// Placeholders for the stream variant factories until their implementations are merged: weak, so
// the real ones replace them, and inert (every stream is the null stream). Delete on that merge.
#include "storage/Streams.h"

namespace PM {

[[gnu::weak]] StreamPipe* OpenFileStream(const char*, uint32_t) { return NullPipe(); }
[[gnu::weak]] StreamPipe* NewMemoryStream(const void*, size_t) { return NullPipe(); }
[[gnu::weak]] StreamPipe* NewMemoryViewStream(const void*, size_t) { return NullPipe(); }
[[gnu::weak]] const uint8_t* MemoryStreamData(StreamPipe*, size_t* size) {
  if (size) *size = 0;
  return nullptr;
}
[[gnu::weak]] StreamPipe* NewDeflateWriter(const StreamPipeRef&, int) { return NullPipe(); }
[[gnu::weak]] StreamPipe* NewInflateReader(const StreamPipeRef&, int64_t) { return NullPipe(); }

}  // namespace PM
