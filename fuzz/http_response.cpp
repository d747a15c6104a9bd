// Fuzzes the HTTP response parser: any bytes, fed in pieces of varying size, end as a finished
// response, a clear failure, or a wait for more; never a crash, and never a body over the limit.
#include <cstddef>
#include <cstdint>

#include "core/Log.h"
#include "storage/HttpResponseParser.h"
#include "storage/Streams.h"

using namespace PM;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const bool quiet = (g_LogLevel = kLevelFatal - 1, true);
  (void)quiet;
  if (size == 0) return 0;
  // The first byte picks HEAD or GET and the piece sizes.
  bool head = data[0] & 1;
  size_t step = data[0] >> 1 ? data[0] >> 1 : 1;
  ++data;
  --size;
  StreamPipeRef body = NewMemoryStream();
  HttpResponseParser::Limits limits;
  limits.maxBodyBytes = 1 << 16;
  HttpResponseParser p(body.Get(), head, limits);
  for (size_t at = 0; at < size && !p.HasFailed(); at += step) p.Feed(data + at, size - at < step ? size - at : step);
  bool finished = p.Finish();
  if (finished != p.IsDone() || (p.HasFailed() && p.Error() == kNetOk)) __builtin_trap();
  if (p.BodyBytes() > limits.maxBodyBytes || body->GetFileLength() != p.BodyBytes()) __builtin_trap();
  if (head && p.BodyBytes() != 0) __builtin_trap();
  return 0;
}
