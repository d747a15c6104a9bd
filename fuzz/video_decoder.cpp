// The video module's decoding core on arbitrary bytes: the first byte picks ".mpg" or ".avi" for the
// file, the second a seek position; every frame that comes out has the stream's size, and reading ends.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "render/video/VideoStream.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  static const std::string base = "/tmp/pm_fuzz_video_" + std::to_string(getpid());
  const std::string path = base + ((data[0] & 1) ? ".avi" : ".mpg");
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return 0;
  std::fwrite(data + 2, 1, size - 2, f);
  std::fclose(f);
  PM::VideoStream stream;
  if (stream.Open(path.c_str())) {
    if (stream.Width() <= 0 || stream.Height() <= 0 || stream.Width() > PM::VideoStream::kMaxSide ||
        stream.Height() > PM::VideoStream::kMaxSide)
      abort();
    const size_t frameBytes = size_t(stream.Width()) * size_t(stream.Height()) * 4;
    std::vector<uint8_t> pixels;
    double time = 0.0;
    for (int i = 0; i < 64 && stream.Next(pixels, time); ++i)
      if (pixels.size() != frameBytes) abort();
    stream.Seek(data[1] / 64.0);
    if (stream.Next(pixels, time) && pixels.size() != frameBytes) abort();
  }
  std::remove(path.c_str());
  return 0;
}
