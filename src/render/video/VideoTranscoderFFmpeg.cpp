#include "render/video/VideoTranscoderFFmpeg.h"

#include <algorithm>
#include <vector>

#include "core/Log.h"
#include "render/video/MovieRecorderFFmpeg.h"
#include "render/video/VideoStream.h"

namespace PM {

bool VideoTranscoderFFmpeg::Transcode(const char* source, const char* target) {
  VideoStream in;
  if (!source || !target || !in.Open(source)) return false;
  MovieRecorderFFmpeg out;
  // A last column the target's encoder cannot take (WMV2: an odd one) is left out.
  const int32_t w = MovieRecorderFFmpeg::EncodableWidth(target, in.Width()), h = in.Height();
  if (!out.Open(target, w, h, in.FrameRate())) return false;
  std::vector<uint8_t> frame, cropped(size_t(w) * size_t(h) * 4);
  double time = 0.0;
  // Each round reads input, so the loop ends with the file (or at VideoStream's damage limit).
  while (in.Next(frame, time)) {
    for (int32_t y = 0; y < h; ++y)
      std::copy_n(frame.data() + size_t(y) * size_t(in.Width()) * 4, size_t(w) * 4,
                  cropped.data() + size_t(y) * size_t(w) * 4);
    if (!out.AddFrame(cropped.data())) {
      LogError("VideoTranscoder: writing \"", target, "\" failed.");
      return false;
    }
  }
  return out.Close();
}

}  // namespace PM
