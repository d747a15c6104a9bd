// pm-run's frames in a window: --engine, --stats, --screenshot and the channel widget's place act under
// --window too, and a window closed or destroyed from outside ends the frames cleanly, under --window
// and under --frames, without leaving a partial picture behind.
#include <filesystem>

#include "PmRunWindow.h"
#include "engine/Image.h"
#include "storage/Streams.h"

namespace PM::Test {
namespace {

constexpr const char* kTitle = "pm-run window end test";

// A blue window whose second channel clears red inside the WChannel "view", the lower right quarter
// (widget positions count from the lower left corner). The script gives that channel the whole window:
// only the copy of the widget's place narrows it. The third channel, over the whole window and
// clearing nothing, is the one a screenshot frames.
constexpr const char* kScene =
    "RenderPipe:Pipe . { .Resolution (320, 240); .ImagePath ''; .ColorBits 24; .DepthBits 24; .StencilBits 8;\n"
    "  .SwapInterval 0; .WindowTitle 'pm-run window end test'; };\n"
    "TTransform:root . { };\n"
    "SCamera:lens . { .FieldOfView 45.0; };\n"
    "TCamera:camera . { .SNode SCamera:lens; .Parent TTransform:root; };\n"
    "TWindow:ui . { .VirtualResolution (320, 240, 0); .Parent TTransform:root; };\n"
    "WGroup:desk . { .ResizeModeX Widget.ResizeModeEnum.ResizePercent; .ResizeModeY "
    "Widget.ResizeModeEnum.ResizePercent; .Dimension (1, 1, 0); };\n"
    "TWindow:ui.RootWidget WGroup:desk;\n"
    "WChannel:view . { .Parent WGroup:desk;\n"
    "  .AlignmentModeX Widget.AlignmentModeEnum.AlignMin; .AlignmentModeY Widget.AlignmentModeEnum.AlignMin;\n"
    "  .ResizeModeX Widget.ResizeModeEnum.ResizeExact; .ResizeModeY Widget.ResizeModeEnum.ResizeExact;\n"
    "  .Position (160, 0, 0); .Dimension (160, 120, 0); };\n"
    "RenderChannel:Channel0 . { .SceneRoot TTransform:root; .Camera TCamera:camera; .ColorClearEnable True;\n"
    "  .ColorClearValue (0, 0, 1); };\n"
    "TTransform:root1 . { };\n"
    "TCamera:camera1 . { .SNode SCamera:lens; .Parent TTransform:root1; };\n"
    "RenderChannel:Channel1 . { .SceneRoot TTransform:root1; .Camera TCamera:camera1; .ColorClearEnable True;\n"
    "  .ColorClearValue (1, 0, 0); .Viewport (0, 1, 0, 1); };\n"
    "TTransform:root2 . { };\n"
    "TCamera:camera2 . { .SNode SCamera:lens; .Parent TTransform:root2; };\n"
    "RenderChannel:Channel2 . { .SceneRoot TTransform:root2; .Camera TCamera:camera2; .ColorClearEnable False;\n"
    "  .DepthClearEnable False; };\n";

int CountOf(const std::string& text, const std::string& part) {
  int n = 0;
  for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
  return n;
}

class PmRunWindowEnd : public PmRunWindow {
 protected:
  void Start(std::vector<std::string> options) {
    WriteFile(m_dir.File("scene.bs"), kScene);
    WriteFile(m_dir.File("then.bs"), "pl 'then ran';\n");
    for (const char* file : {"scene.bs", "--then", "then.bs"})
      options.push_back(file[0] == '-' ? std::string(file) : m_dir.File(file));
    PmRunWindow::Start(options);
    ASSERT_TRUE(FindWindow(kTitle)) << Err();
    WaitForFirstFrame();  // the window is drawn in, not still being set up
  }
  // The files pm-run left in the test's folder besides the scripts and its output.
  std::vector<std::string> Written() const {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(m_dir.Path())) {
      const std::string name = entry.path().filename().string();
      if (name != "scene.bs" && name != "then.bs" && name != "out.txt" && name != "err.txt") names.push_back(name);
    }
    return names;
  }
  // The screenshot's pixels that are red, and those of them in its right half.
  static void RedPixels(const std::string& path, int& red, int& redRight, int& width, int& height) {
    Obj<Image_I> shot(Image_I::New());
    StreamPipeRef in(OpenFileStream(path.c_str(), kModeRead));
    ASSERT_EQ(shot->ImportFileFromStream(String(path.c_str()), in.Get()), SOK);
    width = shot->GetWidth(), height = shot->GetHeight();
    const int bpp = shot->GetBytesPerPixel();
    ASSERT_GE(bpp, 3);
    const uint8_t* p = shot->GetData();
    red = redRight = 0;
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x, p += bpp)
        if (p[0] > 200 && p[1] < 60 && p[2] < 60) ++red, redRight += x >= width / 2;
  }
};

// Through Direct3D 8: the picture taken when the window closes shows the red channel narrowed to the
// widget's quarter, and the statistics of the last frame are printed.
TEST_F(PmRunWindowEnd, WindowTakesTheEngineStatisticsScreenshotAndTheWidgetsViewport) {
  Start({"--window", "--log-level", "2", "--engine", "d3d8", "--stats", "--screenshot", m_dir.File("shot.png")});
  Close();
  ASSERT_EQ(Wait(), 0) << Err();
  EXPECT_NE(Out().find("then ran\n"), std::string::npos) << Out();
  EXPECT_NE(Out().find("primitives "), std::string::npos) << Out();
  EXPECT_EQ(CountOf(Err(), "RenderEngineDirectX8_D::~RenderEngineDirectX8_D() complete."), 1) << Err();
  int red = 0, redRight = 0, width = 0, height = 0;
  RedPixels(m_dir.File("shot.png"), red, redRight, width, height);
  EXPECT_EQ(width, 320);
  EXPECT_EQ(height, 240);
  EXPECT_NEAR(red, 160 * 120, 400);
  EXPECT_EQ(redRight, red);
}

// The frame being drawn when the window goes may report its lost drawable (an engine's own error line);
// that is part of the destruction, not a failure of the run.
TEST_F(PmRunWindowEnd, AWindowDestroyedFromOutsideEndsTheWindowRunWithOneLine) {
  Start({"--window"});
  Destroy();
  EXPECT_EQ(Wait(), 0) << Err();
  EXPECT_EQ(Out(), "then ran\n");
  EXPECT_EQ(CountOf(Err(), "Warn  pm-run: the window was destroyed from outside after "), 1) << Err();
  EXPECT_EQ(CountOf(Err(), "Error pm-run"), 0) << Err();
}

TEST_F(PmRunWindowEnd, FramesEndWhenTheWindowIsClosedWithAPictureOfTheLastFrame) {
  Start({"--frames", "1000000", "--screenshot", m_dir.File("shot.png")});
  Close();
  EXPECT_EQ(Wait(), 0) << Err();
  EXPECT_EQ(Out(), "then ran\n");
  EXPECT_EQ(CountOf(Err(), "pm-run: the window was closed after "), 1) << Err();
  int red = 0, redRight = 0, width = 0, height = 0;
  RedPixels(m_dir.File("shot.png"), red, redRight, width, height);
  EXPECT_EQ(width, 320);
  EXPECT_EQ(red, 320 * 240);  // --frames draws the script's own Viewport
}

TEST_F(PmRunWindowEnd, FramesWhoseWindowIsDestroyedFailWithoutAPartialPicture) {
  Start({"--frames", "1000000", "--screenshot", m_dir.File("shot.png")});
  Destroy();
  EXPECT_EQ(Wait(), 1) << Err();
  EXPECT_EQ(Out(), "then ran\n");
  const std::string err = Err();
  EXPECT_EQ(CountOf(err, " of 1000000 frames; no picture is written to \"" + m_dir.File("shot.png") + "\".\n"), 1)
      << err;
  EXPECT_EQ(CountOf(err, "Error pm-run"), 1) << err;
  EXPECT_EQ(Written(), std::vector<std::string>{});
}

// Under --window a destroyed window ends the run well, unless a picture was asked for.
TEST_F(PmRunWindowEnd, AWindowDestroyedBeforeItsPictureFailsTheWindowRun) {
  Start({"--window", "--screenshot", m_dir.File("shot.png")});
  Destroy();
  EXPECT_EQ(Wait(), 1) << Err();
  EXPECT_EQ(Out(), "then ran\n");
  EXPECT_EQ(CountOf(Err(), "Error pm-run: the window was destroyed from outside after "), 1) << Err();
  EXPECT_EQ(CountOf(Err(), "Error pm-run"), 1) << Err();
  EXPECT_EQ(Written(), std::vector<std::string>{});
}

}  // namespace
}  // namespace PM::Test
