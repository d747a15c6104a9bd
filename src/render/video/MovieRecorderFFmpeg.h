// The video module's movie recorder: R8G8B8A8 frames encoded through FFmpeg into ".mpg"/".mpeg" (MPEG-1),
// ".avi" (MPEG-4 part 2) or ".wmv"/".asf" (WMV2).
#pragma once

#include <cstdint>
#include <string>

#include "render/VideoDecoder.h"

struct AVFormatContext;
struct AVCodecContext;
struct AVFrame;
struct AVPacket;
struct AVStream;
struct SwsContext;

namespace PM {

class MovieRecorderFFmpeg final : public MovieRecorder {
 public:
  MovieRecorderFFmpeg() = default;
  ~MovieRecorderFFmpeg() { Close(); }

  // Odd sides are the encoder's to take: MPEG-1 and MPEG-4 part 2 take any, WMV2 wants an even width.
  // The width a file of `fileName` can hold that is nearest `width` and not above it.
  static int32_t EncodableWidth(const char* fileName, int32_t width);

  bool Open(const char* fileName, int32_t width, int32_t height, double framesPerSecond) override;
  bool AddFrame(const uint8_t* pixels) override;
  bool Close() override;

 private:
  // Sends a frame (null: the end) and writes every packet the encoder gives back.
  bool Encode(AVFrame* frame);
  void Release();

  AVFormatContext* m_format = nullptr;
  AVCodecContext* m_codec = nullptr;
  AVStream* m_stream = nullptr;
  AVFrame* m_frame = nullptr;
  AVFrame* m_rgba = nullptr;  // the caller's frame, top row first, as swscale reads it
  AVPacket* m_packet = nullptr;
  SwsContext* m_scale = nullptr;
  int32_t m_width = 0;
  int32_t m_height = 0;
  int64_t m_frames = 0;
  bool m_headerWritten = false;
};

}  // namespace PM
