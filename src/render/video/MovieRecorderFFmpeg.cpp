#include "render/video/MovieRecorderFFmpeg.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/cpu.h>
#include <libswscale/swscale.h>
}

#include <cstring>
#include <string_view>

#include "core/Log.h"
#include "platform/InertText.h"
#include "render/video/VideoStream.h"

namespace PM {

namespace {

struct Container {
  const char* extension;
  const char* format;
  AVCodecID codec;
};
constexpr Container kContainers[] = {
    {".mpg", "mpeg", AV_CODEC_ID_MPEG1VIDEO}, {".mpeg", "mpeg", AV_CODEC_ID_MPEG1VIDEO},
    {".avi", "avi", AV_CODEC_ID_MPEG4},       {".wmv", "asf", AV_CODEC_ID_WMV2},
    {".asf", "asf", AV_CODEC_ID_WMV2},
};

const Container* ContainerOf(std::string_view name) {
  const size_t dot = name.rfind('.');
  if (dot == std::string_view::npos) return nullptr;
  for (const Container& c : kContainers)
    if (name.substr(dot) == c.extension) return &c;
  return nullptr;
}

// A frame's buffers (dropped first) laid out as swscale reads and writes them: it takes whole blocks of
// pixels past the ends of rows, so the line sizes are aligned to av_cpu_max_align() with padding after the
// last row, as FFmpeg lays out frames.
bool AllocateFrame(AVFrame* frame, AVPixelFormat format, int32_t width, int32_t height) {
  av_frame_unref(frame);
  frame->format = format;
  frame->width = width;
  frame->height = height;
  return av_frame_get_buffer(frame, int(av_cpu_max_align())) == 0;
}

}  // namespace

int32_t MovieRecorderFFmpeg::EncodableWidth(const char* fileName, int32_t width) {
  const Container* container = ContainerOf(fileName ? fileName : "");
  return container && container->codec == AV_CODEC_ID_WMV2 ? width & ~1 : width;
}

bool MovieRecorderFFmpeg::Open(const char* fileName, int32_t width, int32_t height, double framesPerSecond) {
  Close();
  VideoStream::QuietFFmpeg();
  const Container* container = ContainerOf(fileName ? fileName : "");
  if (!container) {
    LogError("MovieRecorder: \"", InertText(fileName ? fileName : "").c_str(),
             "\" names no container this recorder writes.");
    return false;
  }
  // Odd sides are left to the encoder, which logs its refusal below.
  if (width <= 0 || height <= 0 || width > VideoStream::kMaxSide || height > VideoStream::kMaxSide ||
      !(framesPerSecond >= 1.0 && framesPerSecond <= 120.0)) {
    LogError("MovieRecorder: ", width, "x", height, " at ", framesPerSecond, " frames a second cannot be recorded.");
    return false;
  }
  const AVCodec* codec = avcodec_find_encoder(container->codec);
  if (!codec || avformat_alloc_output_context2(&m_format, nullptr, container->format, fileName) < 0 || !m_format) {
    LogError("MovieRecorder: no encoder for \"", InertText(fileName).c_str(), "\".");
    Release();
    return false;
  }
  m_stream = avformat_new_stream(m_format, nullptr);
  m_codec = avcodec_alloc_context3(codec);
  m_frame = av_frame_alloc();
  m_rgba = av_frame_alloc();
  m_packet = av_packet_alloc();
  if (!m_stream || !m_codec || !m_frame || !m_rgba || !m_packet) {
    Release();
    return false;
  }
  const AVRational rate = av_d2q(framesPerSecond, 1000);
  m_codec->width = width;
  m_codec->height = height;
  m_codec->pix_fmt = AV_PIX_FMT_YUV420P;
  m_codec->time_base = av_inv_q(rate);
  m_codec->framerate = rate;
  m_codec->gop_size = 12;
  m_codec->max_b_frames = 0;
  // A fixed fine quantiser: flat colours come back close to what was recorded.
  m_codec->flags |= AV_CODEC_FLAG_QSCALE;
  m_codec->global_quality = FF_QP2LAMBDA * 2;
  if (m_format->oformat->flags & AVFMT_GLOBALHEADER) m_codec->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
  if (avcodec_open2(m_codec, codec, nullptr) < 0 || avcodec_parameters_from_context(m_stream->codecpar, m_codec) < 0) {
    LogError("MovieRecorder: the encoder for \"", InertText(fileName).c_str(), "\" refused ", width, "x", height, ".");
    Release();
    return false;
  }
  m_stream->time_base = m_codec->time_base;
  // Chroma from every pixel, then halved: the default takes pixel pairs, and an odd width's last pair reaches
  // one pixel past the row.
  m_scale = sws_getContext(width, height, AV_PIX_FMT_RGBA, width, height, AV_PIX_FMT_YUV420P,
                           SWS_BILINEAR | SWS_FULL_CHR_H_INP, nullptr, nullptr, nullptr);
  if (!m_scale || !AllocateFrame(m_frame, AV_PIX_FMT_YUV420P, width, height) ||
      !AllocateFrame(m_rgba, AV_PIX_FMT_RGBA, width, height) ||
      (!(m_format->oformat->flags & AVFMT_NOFILE) && avio_open(&m_format->pb, fileName, AVIO_FLAG_WRITE) < 0)) {
    LogError("MovieRecorder: \"", InertText(fileName).c_str(), "\" cannot be written.");
    Release();
    return false;
  }
  if (avformat_write_header(m_format, nullptr) < 0) {
    LogError("MovieRecorder: \"", InertText(fileName).c_str(), "\" cannot be written.");
    Release();
    return false;
  }
  m_headerWritten = true;
  m_width = width;
  m_height = height;
  m_frames = 0;
  return true;
}

bool MovieRecorderFFmpeg::AddFrame(const uint8_t* pixels) {
  if (!m_headerWritten || !pixels) return false;
  // The encoder may still hold the last frame: a new buffer then, not one av_frame_make_writable lays out.
  if (!av_frame_is_writable(m_frame) && !AllocateFrame(m_frame, AV_PIX_FMT_YUV420P, m_width, m_height)) return false;
  // Frames come bottom row first; swscale reads the copy, never past the caller's pixels.
  const size_t row = size_t(m_width) * 4;
  for (int32_t y = 0; y < m_height; ++y)
    std::memcpy(m_rgba->data[0] + size_t(m_rgba->linesize[0]) * size_t(y), pixels + row * size_t(m_height - 1 - y),
                row);
  if (sws_scale(m_scale, m_rgba->data, m_rgba->linesize, 0, m_height, m_frame->data, m_frame->linesize) != m_height)
    return false;
  m_frame->pts = m_frames++;
  m_frame->quality = m_codec->global_quality;
  return Encode(m_frame);
}

bool MovieRecorderFFmpeg::Encode(AVFrame* frame) {
  if (avcodec_send_frame(m_codec, frame) < 0) return false;
  for (;;) {
    const int got = avcodec_receive_packet(m_codec, m_packet);
    if (got == AVERROR(EAGAIN) || got == AVERROR_EOF) return true;
    if (got < 0) return false;
    av_packet_rescale_ts(m_packet, m_codec->time_base, m_stream->time_base);
    m_packet->stream_index = m_stream->index;
    const int written = av_interleaved_write_frame(m_format, m_packet);
    av_packet_unref(m_packet);
    if (written < 0) return false;
  }
}

bool MovieRecorderFFmpeg::Close() {
  bool ok = true;
  if (m_headerWritten) {
    ok = Encode(nullptr);
    ok = av_write_trailer(m_format) == 0 && ok;
    m_headerWritten = false;
  }
  Release();
  return ok;
}

void MovieRecorderFFmpeg::Release() {
  sws_freeContext(m_scale);
  m_scale = nullptr;
  av_packet_free(&m_packet);
  av_frame_free(&m_frame);
  av_frame_free(&m_rgba);
  avcodec_free_context(&m_codec);
  if (m_format) {
    if (m_format->pb && !(m_format->oformat->flags & AVFMT_NOFILE)) avio_closep(&m_format->pb);
    avformat_free_context(m_format);
    m_format = nullptr;
  }
  m_stream = nullptr;
}

}  // namespace PM
