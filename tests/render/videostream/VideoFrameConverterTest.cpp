// The video module's frame conversion against a buffer that ends right before a guard page: swscale writes
// whole blocks of pixels, and a conversion that let it write into the frame handed out would fault here at
// once for most widths that are not a multiple of 16. Each run converts in a child process, so a fault
// names the size it happened at and the other cases still run.
extern "C" {
#include <libavutil/frame.h>
#include <libavutil/pixdesc.h>
#include <libswscale/swscale.h>
}

#include <gtest/gtest.h>
#include <sys/mman.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <new>
#include <string>
#include <vector>

#include "GuardedBuffer.h"
#include "render/video/VideoStream.h"
#include "support/TestEnv.h"

namespace PM::Test {
namespace {

// What a converting child tells the test: the case it was at, its first wrong pixel, how many it did.
struct Report {
  char current[160];
  char failure[480];
  int done;
};

// A frame of `format`, laid out as decoders lay theirs out, made from an R8G8B8A8 picture whose upper
// `topRows` rows are grey `top` and the rest grey `bottom` (greys survive every format, grey and 4:2:0
// included, and show the rows' order; 41 and 206 also survive 5 and 6 bits a channel).
AVFrame* SourceFrame(AVPixelFormat format, int w, int h, int topRows, uint8_t top, uint8_t bottom) {
  AVFrame* rgba = av_frame_alloc();
  AVFrame* frame = av_frame_alloc();
  rgba->format = AV_PIX_FMT_RGBA, rgba->width = w, rgba->height = h;
  frame->format = format, frame->width = w, frame->height = h;
  SwsContext* scale = sws_getContext(w, h, AV_PIX_FMT_RGBA, w, h, format, SWS_POINT, nullptr, nullptr, nullptr);
  bool ok = scale && av_frame_get_buffer(rgba, 0) == 0 && av_frame_get_buffer(frame, 0) == 0;
  if (ok) {
    for (int y = 0; y < h; ++y) {
      uint8_t* row = rgba->data[0] + size_t(rgba->linesize[0]) * size_t(y);
      const uint8_t grey = y < topRows ? top : bottom;
      for (int x = 0; x < w; ++x) row[x * 4] = row[x * 4 + 1] = row[x * 4 + 2] = grey, row[x * 4 + 3] = 255;
    }
    ok = sws_scale(scale, rgba->data, rgba->linesize, 0, h, frame->data, frame->linesize) == h;
  }
  sws_freeContext(scale);
  av_frame_free(&rgba);
  if (!ok) av_frame_free(&frame);
  return frame;
}

// Runs `convert` (which fills the report) in a child; the test fails when the child faults or reports, or
// did other than `expected` conversions (when not negative).
void InChild(const std::function<void(Report&)>& convert, int expected) {
  void* shared = mmap(nullptr, sizeof(Report), PROT_READ | PROT_WRITE, MAP_SHARED | MAP_ANONYMOUS, -1, 0);
  ASSERT_NE(shared, MAP_FAILED);
  auto* report = new (shared) Report{};
  struct Call {
    const std::function<void(Report&)>* convert;
    Report* report;
  } call{&convert, report};
  const int status =
      RunInChild([](void* c) { (*static_cast<Call*>(c)->convert)(*static_cast<Call*>(c)->report); }, &call);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0)
      << (WIFSIGNALED(status) ? "killed by signal " + std::to_string(WTERMSIG(status))
                              : "exit " + std::to_string(WEXITSTATUS(status)))
      << " converting " << report->current;
  EXPECT_STREQ(report->failure, "");
  if (expected >= 0) {
    EXPECT_EQ(report->done, expected);
  }
  munmap(shared, sizeof(Report));
}

// Converts `frame` to width x height into a guarded buffer and checks every pixel: the grey of the
// source row it came from (the output starts with the bottom row), alpha opaque. `topRows` of the output
// are grey `top`, the rest `bottom`.
void ConvertChecked(VideoFrameConverter& converter, const AVFrame& frame, int width, int height, int topRows,
                    uint8_t top, uint8_t bottom, Report& report, int tolerance = 3) {
  const size_t bytes = size_t(width) * size_t(height) * 4;
  GuardedBuffer out(bytes);
  if (!out.Data()) {
    std::snprintf(report.failure, sizeof report.failure, "no guarded buffer for %s", report.current);
    return;
  }
  std::memset(out.Data(), 0x5A, bytes);
  if (!converter.Convert(frame, width, height, out.Data())) {
    if (!report.failure[0]) std::snprintf(report.failure, sizeof report.failure, "%s: refused", report.current);
    return;
  }
  ++report.done;
  for (int row = 0; row < height; ++row) {
    const int fromTop = height - 1 - row;
    const int want = fromTop < topRows ? top : bottom;
    for (int x = 0; x < width; ++x) {
      const uint8_t* p = out.Data() + (size_t(row) * size_t(width) + size_t(x)) * 4;
      if (std::abs(p[0] - want) > tolerance || std::abs(p[1] - want) > tolerance || std::abs(p[2] - want) > tolerance ||
          p[3] != 255) {
        if (!report.failure[0])
          std::snprintf(report.failure, sizeof report.failure,
                        "%s: pixel (%d, %d) of the output (bottom row first) is (%d, %d, %d, %d), not grey %d",
                        report.current, x, row, p[0], p[1], p[2], p[3], want);
        return;
      }
    }
  }
}

std::vector<int> AllWidths() {
  std::vector<int> widths;
  for (int w = 1; w <= 48; ++w) widths.push_back(w);
  for (int w : {63, 64, 65, 100, 426, 854, 1366, 1918}) widths.push_back(w);
  return widths;
}

const int kHeights[] = {1, 2, 3, 12, 16, 17, 240};

// The decoders' own format at every width up to 48 and the common video widths: the upper half of each
// frame comes out last, and nothing is written past the frame.
TEST(VideoFrameConverterTest, Yuv420FramesOfEveryWidthStayWithinTheFrame) {
  VideoStream::QuietFFmpeg();
  const std::vector<int> widths = AllWidths();
  InChild(
      [&](Report& report) {
        VideoFrameConverter converter;  // one for all sizes, as a stream keeps one
        for (int h : kHeights)
          for (int w : widths) {
            std::snprintf(report.current, sizeof report.current, "yuv420p %dx%d", w, h);
            AVFrame* frame = SourceFrame(AV_PIX_FMT_YUV420P, w, h, h / 2, 41, 206);
            if (!frame) {
              std::snprintf(report.failure, sizeof report.failure, "no source frame %s", report.current);
              return;
            }
            ConvertChecked(converter, *frame, w, h, h / 2, 41, 206, report);
            av_frame_free(&frame);
          }
      },
      int(widths.size() * std::size(kHeights)));
}

// The other formats a container may carry (raw video in an AVI among them) at the awkward widths.
TEST(VideoFrameConverterTest, OtherSourceFormatsStayWithinTheFrame) {
  VideoStream::QuietFFmpeg();
  const AVPixelFormat formats[] = {AV_PIX_FMT_YUVJ420P, AV_PIX_FMT_YUV422P, AV_PIX_FMT_YUV444P, AV_PIX_FMT_YUV410P,
                                   AV_PIX_FMT_NV12,     AV_PIX_FMT_YUYV422, AV_PIX_FMT_GRAY8,   AV_PIX_FMT_RGB24,
                                   AV_PIX_FMT_BGRA,     AV_PIX_FMT_RGB565LE};
  const int widths[] = {1, 2, 3, 7, 12, 24, 30, 33, 426, 1918};
  for (AVPixelFormat format : formats) {
    SCOPED_TRACE(av_get_pix_fmt_name(format));
    InChild(
        [&](Report& report) {
          VideoFrameConverter converter;
          for (int h : kHeights)
            for (int w : widths) {
              std::snprintf(report.current, sizeof report.current, "%s %dx%d", av_get_pix_fmt_name(format), w, h);
              AVFrame* frame = SourceFrame(format, w, h, h / 2, 41, 206);
              if (!frame) continue;  // a size the format cannot have
              ConvertChecked(converter, *frame, w, h, h / 2, 41, 206, report);
              av_frame_free(&frame);
            }
        },
        -1);
  }
}

// A stream whose frames change size midway: they are scaled to the size it was opened with.
TEST(VideoFrameConverterTest, ScaledFramesStayWithinTheFrame) {
  VideoStream::QuietFFmpeg();
  const int sizes[][2] = {{1, 1}, {7, 16}, {12, 12}, {24, 16}, {33, 17}, {426, 240}, {64, 48}};
  InChild(
      [&](Report& report) {
        VideoFrameConverter converter;
        for (const auto& from : sizes)
          for (const auto& to : sizes) {
            std::snprintf(report.current, sizeof report.current, "yuv420p %dx%d to %dx%d", from[0], from[1], to[0],
                          to[1]);
            AVFrame* frame = SourceFrame(AV_PIX_FMT_YUV420P, from[0], from[1], 0, 120, 120);
            if (!frame) {
              std::snprintf(report.failure, sizeof report.failure, "no source frame %s", report.current);
              return;
            }
            ConvertChecked(converter, *frame, to[0], to[1], 0, 120, 120, report, 6);  // filters round
            av_frame_free(&frame);
          }
      },
      int(std::size(sizes) * std::size(sizes)));
}

TEST(VideoFrameConverterTest, RefusesWhatItCannotConvert) {
  VideoStream::QuietFFmpeg();
  VideoFrameConverter converter;
  AVFrame* frame = SourceFrame(AV_PIX_FMT_YUV420P, 8, 8, 0, 120, 120);
  ASSERT_NE(frame, nullptr);
  std::vector<uint8_t> out(8 * 8 * 4, 7);
  EXPECT_FALSE(converter.Convert(*frame, 0, 8, out.data()));
  EXPECT_FALSE(converter.Convert(*frame, 8, 8, nullptr));
  const int format = frame->format;
  for (int bad : {int(AV_PIX_FMT_NONE), int(AV_PIX_FMT_NB), 100000}) {
    frame->format = bad;
    EXPECT_FALSE(converter.Convert(*frame, 8, 8, out.data())) << bad;
  }
  EXPECT_EQ(out, std::vector<uint8_t>(8 * 8 * 4, 7)) << "nothing written";
  frame->format = format;
  EXPECT_TRUE(converter.Convert(*frame, 8, 8, out.data()));
  EXPECT_NEAR(out[0], 120, 3);
  av_frame_free(&frame);
}

}  // namespace
}  // namespace PM::Test
