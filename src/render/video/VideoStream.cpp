#include "render/video/VideoStream.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/cpu.h>
#include <libavutil/frame.h>
#include <libswscale/swscale.h>
}

#include <cstring>
#include <mutex>

#include "core/Log.h"
#include "platform/InertText.h"

namespace PM {

namespace {

// Packets read without a frame coming out before the stream counts as damaged.
constexpr int kMaxPacketsPerFrame = 4096;

}  // namespace

bool VideoFrameConverter::Convert(const AVFrame& frame, int32_t width, int32_t height, uint8_t* out) {
  // swscale aborts on a format it does not know rather than refusing it.
  if (frame.width <= 0 || frame.height <= 0 || width <= 0 || height <= 0 || !out ||
      !sws_isSupportedInput(AVPixelFormat(frame.format)))
    return false;
  m_scale = sws_getCachedContext(m_scale, frame.width, frame.height, AVPixelFormat(frame.format), width, height,
                                 AV_PIX_FMT_RGBA, SWS_BILINEAR, nullptr, nullptr, nullptr);
  if (!m_scale) return false;
  if (!m_rgba || m_rgba->width != width || m_rgba->height != height) {
    av_frame_free(&m_rgba);
    m_rgba = av_frame_alloc();
    if (!m_rgba) return false;
    m_rgba->format = AV_PIX_FMT_RGBA;
    m_rgba->width = width;
    m_rgba->height = height;
    if (av_frame_get_buffer(m_rgba, int(av_cpu_max_align())) < 0) {
      av_frame_free(&m_rgba);
      return false;
    }
  }
  if (sws_scale(m_scale, frame.data, frame.linesize, 0, frame.height, m_rgba->data, m_rgba->linesize) != height)
    return false;
  // The caller's frames start with the bottom row.
  const size_t row = size_t(width) * 4;
  for (int32_t y = 0; y < height; ++y)
    std::memcpy(out + row * size_t(height - 1 - y), m_rgba->data[0] + size_t(m_rgba->linesize[0]) * size_t(y), row);
  return true;
}

void VideoFrameConverter::Reset() {
  sws_freeContext(m_scale);
  m_scale = nullptr;
  av_frame_free(&m_rgba);
}

void VideoStream::QuietFFmpeg() {
  // The module reports its own failures; FFmpeg's chatter would flood the log on a damaged file.
  static std::once_flag once;
  std::call_once(once, [] { av_log_set_level(AV_LOG_QUIET); });
}

const char* VideoStream::FormatOfExtension(std::string_view extension) {
  if (extension == ".mpg" || extension == ".mpeg") return "mpeg";
  if (extension == ".avi") return "avi";
  if (extension == ".asf" || extension == ".wmv") return "asf";
  return nullptr;
}

bool VideoStream::Open(const char* fileName, const char* formatName) {
  Close();
  QuietFFmpeg();
  if (!formatName) {
    const std::string_view name(fileName);
    const size_t dot = name.rfind('.');
    if (dot != std::string_view::npos && name.find('/', dot) == std::string_view::npos)
      formatName = FormatOfExtension(name.substr(dot));
  }
  // FFmpeg would otherwise pick its demuxer from the content: a playlist or a list of files under a video's
  // name would have it open other files, or addresses.
  const AVInputFormat* format = formatName ? av_find_input_format(formatName) : nullptr;
  if (!format) {
    LogError("VideoDecoder: \"", InertText(fileName).c_str(),
             "\" is not of a video format the module reads (.mpg, .mpeg, .avi, .asf, .wmv).");
    return false;
  }
  AVDictionary* options = nullptr;
  av_dict_set(&options, "format_whitelist", formatName, 0);
  av_dict_set(&options, "protocol_whitelist", "file", 0);
  const int opened = avformat_open_input(&m_format, fileName, format, &options);
  av_dict_free(&options);
  if (opened < 0) {
    LogError("VideoDecoder: \"", InertText(fileName).c_str(), "\" cannot be opened.");
    m_format = nullptr;
    return false;
  }
  const AVCodec* codec = nullptr;
  if (avformat_find_stream_info(m_format, nullptr) >= 0)
    m_stream = av_find_best_stream(m_format, AVMEDIA_TYPE_VIDEO, -1, -1, &codec, 0);
  if (m_stream < 0 || !codec) {
    LogError("VideoDecoder: \"", InertText(fileName).c_str(), "\" has no video stream to decode.");
    Close();
    return false;
  }
  AVStream* stream = m_format->streams[m_stream];
  m_codec = avcodec_alloc_context3(codec);
  if (!m_codec || avcodec_parameters_to_context(m_codec, stream->codecpar) < 0 ||
      avcodec_open2(m_codec, codec, nullptr) < 0) {
    LogError("VideoDecoder: \"", InertText(fileName).c_str(), "\" uses a codec that cannot be opened.");
    Close();
    return false;
  }
  m_width = m_codec->width;
  m_height = m_codec->height;
  if (m_width <= 0 || m_height <= 0 || m_width > kMaxSide || m_height > kMaxSide) {
    LogError("VideoDecoder: \"", InertText(fileName).c_str(), "\" has frames of ", m_width, "x", m_height,
             ", not 1 to ", kMaxSide, " a side.");
    Close();
    return false;
  }
  m_timeBase = av_q2d(stream->time_base);
  m_startTime = stream->start_time != AV_NOPTS_VALUE ? stream->start_time : 0;
  const AVRational rate = stream->avg_frame_rate.num > 0 ? stream->avg_frame_rate : stream->r_frame_rate;
  if (rate.num > 0 && rate.den > 0) m_frameRate = av_q2d(rate);
  if (!(m_frameRate > 0.0 && m_frameRate < 1000.0)) m_frameRate = 25.0;
  if (stream->duration != AV_NOPTS_VALUE && stream->duration > 0)
    m_length = double(stream->duration) * m_timeBase;
  else if (m_format->duration != AV_NOPTS_VALUE && m_format->duration > 0)
    m_length = double(m_format->duration) / AV_TIME_BASE;
  if (!(m_length >= 0.0 && m_length < 1e9)) m_length = 0.0;
  m_frame = av_frame_alloc();
  m_packet = av_packet_alloc();
  if (!m_frame || !m_packet) {
    Close();
    return false;
  }
  return true;
}

void VideoStream::Close() {
  m_converter.Reset();
  av_packet_free(&m_packet);
  av_frame_free(&m_frame);
  avcodec_free_context(&m_codec);
  if (m_format) avformat_close_input(&m_format);
  m_stream = -1;
  m_draining = false;
  m_width = m_height = 0;
  m_length = 0.0;
  m_lastTime = -1.0;
}

bool VideoStream::Convert(std::vector<uint8_t>& pixels, double& time) {
  const int64_t pts = m_frame->best_effort_timestamp;
  if (pts != AV_NOPTS_VALUE)
    time = double(pts - m_startTime) * m_timeBase;
  else
    time = m_lastTime < 0.0 ? 0.0 : m_lastTime + 1.0 / m_frameRate;
  m_lastTime = time;
  // A stream may change its frame size midway; the frames keep the size the stream was opened with.
  pixels.resize(size_t(m_width) * size_t(m_height) * 4);
  return m_converter.Convert(*m_frame, m_width, m_height, pixels.data());
}

bool VideoStream::Next(std::vector<uint8_t>& pixels, double& time) {
  if (!m_codec) return false;
  for (int packets = 0; packets < kMaxPacketsPerFrame; ++packets) {
    const int got = avcodec_receive_frame(m_codec, m_frame);
    if (got == 0) {
      const bool ok = Convert(pixels, time);
      av_frame_unref(m_frame);
      if (ok) return true;
      continue;
    }
    if (got == AVERROR_EOF || (got != AVERROR(EAGAIN))) return false;
    if (m_draining) return false;
    const int read = av_read_frame(m_format, m_packet);
    if (read < 0) {
      m_draining = true;
      avcodec_send_packet(m_codec, nullptr);
      continue;
    }
    if (m_packet->stream_index == m_stream) avcodec_send_packet(m_codec, m_packet);
    av_packet_unref(m_packet);
  }
  LogError("VideoDecoder: no frame in ", kMaxPacketsPerFrame, " packets; the stream is taken as ended.");
  return false;
}

bool VideoStream::Seek(double seconds) {
  if (!m_codec) return false;
  if (seconds <= 0.0 || !(m_timeBase > 0.0) || seconds > 1e9) return Rewind();
  const int64_t target = m_startTime + int64_t(seconds / m_timeBase);
  if (av_seek_frame(m_format, m_stream, target, AVSEEK_FLAG_BACKWARD) < 0) return Rewind();
  avcodec_flush_buffers(m_codec);
  m_draining = false;
  m_lastTime = -1.0;
  return true;
}

bool VideoStream::Rewind() {
  if (!m_codec) return false;
  if (av_seek_frame(m_format, m_stream, m_startTime, AVSEEK_FLAG_BACKWARD) < 0 &&
      av_seek_frame(m_format, -1, 0, AVSEEK_FLAG_BYTE) < 0)
    return false;
  avcodec_flush_buffers(m_codec);
  m_draining = false;
  m_lastTime = -1.0;
  return true;
}

}  // namespace PM
