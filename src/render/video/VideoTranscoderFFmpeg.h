// The video module's transcoder: a video file decoded frame by frame into the movie recorder.
#pragma once

#include "render/VideoDecoder.h"

namespace PM {

class VideoTranscoderFFmpeg final : public VideoTranscoder {
 public:
  bool Transcode(const char* source, const char* target) override;
};

}  // namespace PM
