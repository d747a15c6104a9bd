// The video module and the video front end without a window: the decoder on files the recorder wrote
// (pacing, pause, seek, the end), the entry points of a module without factories, the frame state's
// hand-over rule and a Texture2DVideo without decoder.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "GuardedBuffer.h"
#include "VideoClips.h"
#include "engine/TextureHandle.h"
#include "render/Texture2DVideo.h"
#include "render/VideoFrameState.h"
#include "render/VideoModule.h"
#include "scene/EngineWorld.h"
#include "support/LogCapture.h"
#include "support/TestEnv.h"

namespace PM::Test {
namespace {

// Collects the decoder's frames; ready for the next one only when the last was taken.
struct FrameSink {
  std::mutex mutex;
  int delivered = 0;
  bool taken = true;
  Rgb last{-1, -1, -1};
  int width = 0, height = 0;
  std::vector<uint8_t> pixels;  // the last frame's, when kept
  bool keepPixels = false;

  static void Frame(void* c, const uint8_t* p, int32_t w, int32_t h) {
    auto* s = static_cast<FrameSink*>(c);
    std::lock_guard<std::mutex> lock(s->mutex);
    ++s->delivered;
    s->taken = false;
    s->last = {p[0], p[1], p[2]};
    s->width = w, s->height = h;
    if (s->keepPixels) s->pixels.assign(p, p + size_t(w) * size_t(h) * 4);
  }
  static bool Pending(void* c) {
    auto* s = static_cast<FrameSink*>(c);
    std::lock_guard<std::mutex> lock(s->mutex);
    return s->taken;
  }
  // Takes the frame, waiting up to `waitMs` for one; the colour taken, or (-1, -1, -1).
  Rgb Take(int waitMs = 5000) {
    for (int i = 0; i <= waitMs / 5; ++i) {
      {
        std::lock_guard<std::mutex> lock(mutex);
        if (!taken) {
          taken = true;
          return last;
        }
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return {-1, -1, -1};
  }
};

class VideoModuleTest : public EngineWorldTest {
 protected:
  TempDir m_dir;
};

TEST_F(VideoModuleTest, DecodesRecordedClipsPausedSeekingAndToTheEnd) {
  for (const char* ext : {".mpg", ".avi", ".wmv", ".asf", ".mpeg"}) {
    SCOPED_TRACE(ext);
    const std::string path = m_dir.File(std::string("clip") + ext);
    RecordClip(path);
    Ptr<VideoDecoder> decoder = CreateVideoDecoderExtension(ext);
    ASSERT_TRUE(decoder);
    FrameSink sink;
    decoder->SetFrameCallbacks(&FrameSink::Frame, &FrameSink::Pending, &sink);
    ASSERT_TRUE(decoder->Open(path.c_str()));
    EXPECT_EQ(decoder->GetWidth(), kClipSide);
    EXPECT_EQ(decoder->GetHeight(), kClipSide);
    EXPECT_NEAR(decoder->GetLength(), 1.0, 0.15);  // MPEG program streams only estimate it
    EXPECT_NEAR(decoder->GetFrameRate(), 25.0, 0.01);
    decoder->SetPaused(true);
    decoder->Start();  // paused from the start: only seeks deliver
    // Seeks deliver while paused, backwards as well as forwards.
    for (int frame : {5, 15, 5, 0, 24}) {
      SCOPED_TRACE(frame);
      decoder->SetPosition(frame / kClipRate);
      Rgb got = sink.Take();
      EXPECT_TRUE(NearColour(got, ClipColour(frame))) << Describe(got) << " against " << Describe(ClipColour(frame));
      EXPECT_NEAR(decoder->GetPosition(), frame / kClipRate, 1e-9);
    }
    EXPECT_TRUE(decoder->IsPaused());
    EXPECT_EQ(sink.width, kClipSide);
    // Playing on from frame 20 reaches the end in about 0.2 s, stops there and shows the last frame.
    decoder->SetPosition(20 / kClipRate);
    sink.Take();
    const auto start = std::chrono::steady_clock::now();
    decoder->SetPaused(false);
    Rgb last{-1, -1, -1};
    while (!decoder->IsFinished() && std::chrono::steady_clock::now() - start < std::chrono::seconds(10)) {
      Rgb got = sink.Take();
      if (got.r >= 0) last = got;
    }
    const double took = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_TRUE(decoder->IsFinished());
    EXPECT_GE(took, 0.1);        // paced by the frames' times, not as fast as it decodes
    Rgb final = sink.Take(100);  // taken in the loop already, or waiting
    if (final.r >= 0) last = final;
    EXPECT_TRUE(NearColour(last, ClipColour(kClipFrames - 1))) << Describe(last);
    decoder->Close();
    const int after = sink.delivered;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_EQ(sink.delivered, after);  // no frame after Close
  }
}

TEST_F(VideoModuleTest, FramesAreBottomRowFirstAndTheTranscoderCopies) {
  // A clip whose lower half is red and upper half blue: the first row handed out is red.
  const std::string source = m_dir.File("halves.avi"), target = m_dir.File("halves.wmv");
  {
    Ptr<MovieRecorder> recorder = CreateMovieRecorder();
    ASSERT_TRUE(recorder);
    ASSERT_TRUE(recorder->Open(source.c_str(), kClipSide, kClipSide, kClipRate));
    std::vector<uint8_t> pixels(size_t(kClipSide) * kClipSide * 4);
    for (int y = 0; y < kClipSide; ++y)
      for (int x = 0; x < kClipSide; ++x) {
        uint8_t* p = &pixels[(size_t(y) * kClipSide + x) * 4];
        p[0] = y < kClipSide / 2 ? 230 : 10, p[1] = 10, p[2] = y < kClipSide / 2 ? 10 : 230, p[3] = 255;
      }
    for (int i = 0; i < 3; ++i) ASSERT_TRUE(recorder->AddFrame(pixels.data()));
    ASSERT_TRUE(recorder->Close());
  }
  Ptr<VideoTranscoder> transcoder = CreateVideoTranscoder();
  ASSERT_TRUE(transcoder);
  ASSERT_TRUE(transcoder->Transcode(source.c_str(), target.c_str()));
  for (const std::string& file : {source, target}) {
    SCOPED_TRACE(file);
    Ptr<VideoDecoder> decoder = CreateVideoDecoderExtension(file.substr(file.rfind('.')).c_str());
    ASSERT_TRUE(decoder);
    FrameSink sink;
    decoder->SetFrameCallbacks(&FrameSink::Frame, &FrameSink::Pending, &sink);
    ASSERT_TRUE(decoder->Open(file.c_str()));
    decoder->Start();
    Rgb first = sink.Take();
    EXPECT_TRUE(NearColour(first, {230, 10, 10})) << Describe(first);
  }
}

// Clips of widths swscale writes past (and two it does not) at one row, 16 rows and 240p: every frame has
// its size and every pixel its colour, the last column and row included.
TEST_F(VideoModuleTest, AwkwardSizesDecodeWithTheirColour) {
  for (const char* ext : {".mpg", ".avi", ".wmv"})
    for (int height : {1, 16, 240})
      for (int width : {1, 2, 7, 12, 24, 30, 33, 426}) {
        if (std::string(ext) == ".wmv" && width % 2) continue;  // WMV2 wants an even width
        const std::string name = std::to_string(width) + "x" + std::to_string(height) + ext;
        SCOPED_TRACE(name);
        const std::string path = m_dir.File(name);
        RecordClip(path, 3, width, height);
        Ptr<VideoDecoder> decoder = CreateVideoDecoderExtension(ext);
        ASSERT_TRUE(decoder);
        FrameSink sink;
        sink.keepPixels = true;
        decoder->SetFrameCallbacks(&FrameSink::Frame, &FrameSink::Pending, &sink);
        ASSERT_TRUE(decoder->Open(path.c_str()));
        EXPECT_EQ(decoder->GetWidth(), width);
        EXPECT_EQ(decoder->GetHeight(), height);
        decoder->SetPaused(true);
        decoder->Start();
        for (int frame : {1, 0, 2}) {
          SCOPED_TRACE(frame);
          decoder->SetPosition(frame / kClipRate);
          const Rgb got = sink.Take();
          std::lock_guard<std::mutex> lock(sink.mutex);
          ASSERT_EQ(sink.width, width);
          ASSERT_EQ(sink.height, height);
          ASSERT_EQ(sink.pixels.size(), size_t(width) * size_t(height) * 4);
          const Rgb want = ClipColour(frame);
          EXPECT_TRUE(NearColour(got, want)) << Describe(got) << " against " << Describe(want);
          int wrong = 0;
          Rgb first{};
          for (size_t p = 0; p < sink.pixels.size(); p += 4) {
            const Rgb c{sink.pixels[p], sink.pixels[p + 1], sink.pixels[p + 2]};
            if ((!NearColour(c, want) || sink.pixels[p + 3] != 255) && wrong++ == 0) first = c;
          }
          EXPECT_EQ(wrong, 0) << "first " << Describe(first) << " against " << Describe(want);
        }
        decoder->Close();
      }
}

// The recorder reads the frame it is given and not a byte past it, whatever the width.
TEST_F(VideoModuleTest, RecorderReadsNoFurtherThanTheFrame) {
  for (const ClipSize size : kAwkwardClipSizes)
    for (const char* ext : {".mpg", ".avi"}) {
      const std::string name = std::to_string(size.width) + "x" + std::to_string(size.height) + ext;
      SCOPED_TRACE(name);
      Ptr<MovieRecorder> recorder = CreateMovieRecorder();
      ASSERT_TRUE(recorder);
      ASSERT_TRUE(recorder->Open(m_dir.File(name).c_str(), size.width, size.height, kClipRate));
      const size_t bytes = size_t(size.width) * size_t(size.height) * 4;
      GuardedBuffer frame(bytes);
      ASSERT_NE(frame.Data(), nullptr);
      std::memset(frame.Data(), 200, bytes);
      for (int i = 0; i < 3; ++i) ASSERT_TRUE(recorder->AddFrame(frame.Data()));
      ASSERT_TRUE(recorder->Close());
    }
}

// The transcoder keeps an odd width where the target's encoder takes one and leaves the last column out
// where it does not (WMV2).
TEST_F(VideoModuleTest, TranscoderKeepsOddSidesTheTargetTakes) {
  const std::string source = m_dir.File("odd.avi");
  RecordClip(source, 3, 7, 5);
  Ptr<VideoTranscoder> transcoder = CreateVideoTranscoder();
  ASSERT_TRUE(transcoder);
  const struct {
    const char* name;
    int width;
  } targets[] = {{"odd.mpg", 7}, {"odd.wmv", 6}};
  for (const auto& target : targets) {
    SCOPED_TRACE(target.name);
    const std::string file = m_dir.File(target.name);
    ASSERT_TRUE(transcoder->Transcode(source.c_str(), file.c_str()));
    Ptr<VideoDecoder> decoder = CreateVideoDecoderExtension(file.substr(file.rfind('.')).c_str());
    ASSERT_TRUE(decoder);
    FrameSink sink;
    decoder->SetFrameCallbacks(&FrameSink::Frame, &FrameSink::Pending, &sink);
    ASSERT_TRUE(decoder->Open(file.c_str()));
    EXPECT_EQ(decoder->GetWidth(), target.width);
    EXPECT_EQ(decoder->GetHeight(), 5);
    decoder->Start();
    const Rgb first = sink.Take();
    EXPECT_TRUE(NearColour(first, ClipColour(0))) << Describe(first);
  }
}

TEST_F(VideoModuleTest, RefusedFilesAndModulesWithoutFactories) {
  {
    LogCapture log(LogErrPipe());
    EXPECT_FALSE(CreateVideoDecoderExtension(".gcv"));  // no description of that format exists
    EXPECT_FALSE(CreateVideoDecoderExtension(".MPG"));
    EXPECT_FALSE(CreateVideoDecoderExtension(""));
    Ptr<VideoDecoder> decoder = CreateVideoDecoderExtension(".mpg");
    ASSERT_TRUE(decoder);
    WriteFile(m_dir.File("junk.mpg"), "not a video at all");
    EXPECT_FALSE(decoder->Open(m_dir.File("junk.mpg").c_str()));
    decoder->Start();  // nothing to play: no thread
    EXPECT_EQ(decoder->GetWidth(), 0);
    Ptr<MovieRecorder> recorder = CreateMovieRecorder();
    EXPECT_FALSE(recorder->Open(m_dir.File("odd.wmv").c_str(), 63, 64, 25.0));  // WMV2 wants an even width
    EXPECT_NE(log.Text().find("MovieRecorder: the encoder for \""), std::string::npos) << log.Text();
    EXPECT_FALSE(recorder->Open(m_dir.File("clip.gcv").c_str(), 64, 64, 25.0));
    EXPECT_NE(log.Text().find("VideoDecoder: \""), std::string::npos) << log.Text();
  }
  setenv("PM_MODULE_DIR", PM_BARE_VIDEO_DIR, 1);
  struct Case {
    std::function<bool()> create;
    const char* text;
  } cases[] = {
      {[] { return bool(CreateMovieRecorder()); }, "Error MovieRecorder::CreateMovieRecorder: function unresolved.\n"},
      {[] { return bool(CreateVideoDecoderExtension(".mpg")); },
       "Error VideoDecoder::CreateVideoDecoderExtension: function unresolved.\n"},
      {[] { return bool(CreateVideoTranscoder()); },
       "Error VideoTranscoder::CreateVideoTranscoder: function unresolved.\n"},
  };
  for (const Case& c : cases) {
    LogCapture log(LogErrPipe());
    EXPECT_FALSE(c.create());
    const std::string text = log.Text();
    EXPECT_NE(text.find(c.text), std::string::npos) << text;
    EXPECT_EQ(text.find("Error"), text.find(c.text)) << text;  // the one Error line
  }
  unsetenv("PM_MODULE_DIR");
}

// A file is read as the format of its name, through the file protocol alone: an HLS playlist named ".avi"
// and a concatenation list named ".mpg" would otherwise have FFmpeg play another file of the disk.
TEST_F(VideoModuleTest, PlaylistsAndListsUnderAVideoNameAreRefused) {
  RecordClip(m_dir.File("private.mpg"));
  RecordClip(m_dir.File("private.avi"));
  WriteFile(m_dir.File("list.avi"), "#EXTM3U\n#EXT-X-TARGETDURATION:2\n#EXTINF:1.0,\nprivate.avi\n#EXT-X-ENDLIST\n");
  WriteFile(m_dir.File("list.mpg"), "ffconcat version 1.0\nfile 'private.mpg'\n");
  WriteFile(m_dir.File("http.wmv"), "ffconcat version 1.0\nfile 'http://127.0.0.1:9/x.mpg'\n");
  // MPEG program streams have no header: the list is searched for packets and has none.
  const std::pair<const char*, const char*> cases[] = {{"list.avi", "cannot be opened"},
                                                       {"list.mpg", "has no video stream to decode"},
                                                       {"http.wmv", "cannot be opened"}};
  for (const auto& [name, why] : cases) {
    SCOPED_TRACE(name);
    const std::string path = m_dir.File(name), line = "Error VideoDecoder: \"" + path + "\" " + why + ".\n";
    Ptr<VideoDecoder> decoder = CreateVideoDecoderExtension(std::strrchr(name, '.'));
    ASSERT_TRUE(decoder);
    LogCapture log(LogErrPipe());
    EXPECT_FALSE(decoder->Open(path.c_str()));
    EXPECT_EQ(log.Take(), line);
    Ptr<VideoTranscoder> transcoder = CreateVideoTranscoder();
    const std::string target = m_dir.File("copy.avi");
    EXPECT_FALSE(transcoder->Transcode(path.c_str(), target.c_str()));
    EXPECT_EQ(log.Take(), line);
    EXPECT_FALSE(std::filesystem::exists(target));
  }
  // A source the module has no format for is refused by name; the clip the lists named opens.
  WriteFile(m_dir.File("clip.m3u8"), ReadFile(m_dir.File("private.mpg")));
  LogCapture log(LogErrPipe());
  EXPECT_FALSE(CreateVideoTranscoder()->Transcode(m_dir.File("clip.m3u8").c_str(), m_dir.File("c.avi").c_str()));
  EXPECT_EQ(log.Take(), "Error VideoDecoder: \"" + m_dir.File("clip.m3u8") +
                            "\" is not of a video format the module reads (.mpg, .mpeg, .avi, .asf, .wmv).\n");
  Ptr<VideoDecoder> decoder = CreateVideoDecoderExtension(".mpg");
  EXPECT_TRUE(decoder->Open(m_dir.File("private.mpg").c_str()));
  EXPECT_EQ(decoder->GetWidth(), kClipSide);
}

TEST_F(VideoModuleTest, FrameStateDropsFramesUntilTheLastIsTaken) {
  auto* state = NewCounted<VideoFrameState>();
  Ptr<VideoFrameState> hold(state);
  const uint8_t red[4 * 4] = {200, 0, 0, 255, 200, 0, 0, 255, 200, 0, 0, 255, 200, 0, 0, 255};
  const uint8_t blue[4 * 4] = {0, 0, 200, 255, 0, 0, 200, 255, 0, 0, 200, 255, 0, 0, 200, 255};
  EXPECT_TRUE(state->ReadyForFrame());
  EXPECT_TRUE(state->DeliverFrame(red, 2, 2));
  EXPECT_FALSE(state->ReadyForFrame());
  EXPECT_FALSE(state->DeliverFrame(blue, 2, 2));  // the red one is not taken yet: dropped
  EXPECT_FALSE(state->DeliverFrame(red, 0, 2));
  EXPECT_EQ(state->FramesDelivered(), 1);
  uint8_t seen = 0;
  int32_t width = 0;
  EXPECT_TRUE(state->TakeFrame([&](Image_I& frame) { seen = frame.GetData()[0], width = frame.GetWidth(); }));
  EXPECT_EQ(seen, 200);
  EXPECT_EQ(width, 2);
  EXPECT_FALSE(state->TakeFrame([&](Image_I&) { FAIL() << "no new frame"; }));
  EXPECT_TRUE(state->DeliverFrame(blue, 1, 4));  // a new size makes a new image
  EXPECT_TRUE(state->TakeFrame([&](Image_I& frame) { seen = frame.GetData()[2], width = frame.GetWidth(); }));
  EXPECT_EQ(seen, 200);
  EXPECT_EQ(width, 1);
  EXPECT_EQ(state->FramesTaken(), 2);
  EXPECT_EQ(state->FramesDelivered(), 2);
}

TEST_F(VideoModuleTest, VideoObjectWithoutDecoder) {
  Obj<ScriptObject> o = Make("Texture2DVideo");
  auto* video = static_cast<Texture2DVideo_I*>(o.Get());
  EXPECT_EQ(video->GetVideoLength(), -1.0);
  EXPECT_EQ(video->GetVideoPosition(), -1.0);
  EXPECT_FALSE(video->GetPaused());
  video->SetPaused(true);
  video->SetVideoPosition(3.0);
  video->Update();
  EXPECT_FALSE(video->GetPaused());
  EXPECT_EQ(video->GetVideoDimension().x, 0.0f);
  EXPECT_EQ(video->GetVideoDimension().y, 0.0f);
  LogCapture log(LogOutPipe());
  Ptr<TextureHandle> handle(NewCounted<TextureHandle>());
  EXPECT_EQ(video->OpenDecoder(String(m_dir.File("clip.gcv").c_str()), handle), -1);
  EXPECT_EQ(log.Text(), "Error Texture2DVideo: Decoder create failed.\n");
}

}  // namespace
}  // namespace PM::Test
