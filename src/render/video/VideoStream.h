// One video file read frame by frame through FFmpeg (libavformat, libavcodec, libswscale): the decoding
// core that the video module's decoder thread and transcoder drive, with no threads or pacing of its own.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

struct AVFormatContext;
struct AVCodecContext;
struct AVFrame;
struct AVPacket;
struct SwsContext;

namespace PM {

// Decoded frames to R8G8B8A8 pixels through swscale. swscale writes whole blocks of pixels (8 or 16, more
// with wider vector units) and so passes the end of a row whose width is not a multiple of the block: it
// writes into a frame of its own laid out as FFmpeg lays out frames (line sizes aligned to
// av_cpu_max_align(), padding rows and bytes after the last), and the rows are copied out from there.
class VideoFrameConverter {
 public:
  VideoFrameConverter() = default;
  ~VideoFrameConverter() { Reset(); }
  VideoFrameConverter(const VideoFrameConverter&) = delete;
  VideoFrameConverter& operator=(const VideoFrameConverter&) = delete;

  // `frame` scaled to width x height into `out`, exactly width x height x 4 bytes, bottom row first. False
  // (nothing written) when the frame is empty or its pixel format cannot be converted.
  bool Convert(const AVFrame& frame, int32_t width, int32_t height, uint8_t* out);
  void Reset();

 private:
  SwsContext* m_scale = nullptr;
  AVFrame* m_rgba = nullptr;  // swscale's output, top row first
};

class VideoStream {
 public:
  // Frames above this size on either side are refused (the frame buffer stays within 64 MB).
  static constexpr int32_t kMaxSide = 4096;

  VideoStream() = default;
  ~VideoStream() { Close(); }
  VideoStream(const VideoStream&) = delete;
  VideoStream& operator=(const VideoStream&) = delete;

  // Silences FFmpeg's own log output (once per process).
  static void QuietFFmpeg();

  // The FFmpeg demuxer of the module's file types by extension (".mpg", ".mpeg", ".avi", ".asf", ".wmv"),
  // else null.
  static const char* FormatOfExtension(std::string_view extension);

  // Opens the file's first video stream; false (logged at Error level) when there is none to decode. The file
  // is read as `formatName` (by default the format of its extension), through the file protocol alone, so
  // no playlist, list of files or address makes FFmpeg open anything else.
  bool Open(const char* fileName, const char* formatName = nullptr);
  void Close();

  // The next frame as width x height R8G8B8A8 pixels, bottom row first, and its time in seconds from the
  // stream's start. False at the end of the stream or on a damaged one.
  bool Next(std::vector<uint8_t>& pixels, double& time);
  // Moves to the last key frame at or before `seconds` (to the start when the container cannot tell).
  bool Seek(double seconds);
  // Back to the first frame.
  bool Rewind();

  int32_t Width() const { return m_width; }
  int32_t Height() const { return m_height; }
  double Length() const { return m_length; }
  double FrameRate() const { return m_frameRate; }

 private:
  bool Convert(std::vector<uint8_t>& pixels, double& time);

  AVFormatContext* m_format = nullptr;
  AVCodecContext* m_codec = nullptr;
  AVFrame* m_frame = nullptr;
  AVPacket* m_packet = nullptr;
  VideoFrameConverter m_converter;
  int m_stream = -1;
  bool m_draining = false;
  int32_t m_width = 0;
  int32_t m_height = 0;
  double m_length = 0.0;
  double m_frameRate = 25.0;
  double m_timeBase = 0.0;
  int64_t m_startTime = 0;
  double m_lastTime = -1.0;
};

}  // namespace PM
