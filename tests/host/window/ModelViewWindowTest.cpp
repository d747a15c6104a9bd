// pm-run --view --window as a person uses it: dragging orbits the camera about the model, the wheel
// zooms, and closing the window ends the run well.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "PmRunWindow.h"

namespace PM::Test {
namespace {

constexpr const char* kTitle = "pm-run model view test";

class ModelViewWindowTest : public PmRunWindow {
 protected:
  // pm-run viewing the three coloured quads; it prints the eye's place before the frames, and the camera
  // rig after the window.
  void StartView() {
    WriteFile(m_dir.File("then.bs"), "pl STransform:SviewOrbit.Rotation?; pl STransform:SviewEye.Translation?;\n");
    const std::string setup = std::string("RenderPipe:Pipe.WindowTitle '") + kTitle +
                              "'; RenderPipe:Pipe.Resolution (320, 240); STransform:SviewOrbit.Rotation (0, 0, 0); "
                              "pl STransform:SviewEye.Translation?;";
    Start({"--view", PM_SOURCE_DIR "/tests/import/data/colours.obj", "--window", "-e", setup, "--then",
           m_dir.File("then.bs")});
  }
  // Client pixel (x, y) counted down from the window's upper edge.
  void MoveDown(int x, int y) { MoveTo(x, 239 - y); }
  void Button(unsigned button, bool down) {
    XTestFakeButtonEvent(m_x, button, down ? True : False, CurrentTime);
    Settle();
  }
};

TEST_F(ModelViewWindowTest, DraggingOrbitsAndTheWheelZooms) {
  StartView();
  ASSERT_TRUE(FindWindow(kTitle)) << Err();
  Settle();
  // 40 pixels right and 20 down with the button held: half a degree a pixel.
  MoveDown(100, 100);
  Button(1, true);
  MoveDown(120, 110);
  MoveDown(140, 120);
  Button(1, false);
  MoveDown(200, 200);  // no button: no turn
  // Two steps towards the screen: 0.9 x 0.9 of the distance.
  Button(4, true);
  Button(4, false);
  Button(4, true);
  Button(4, false);
  Close();
  ASSERT_EQ(Wait(), 0) << Err();
  const std::string out = Out();
  float pitch = 0, yaw = 0, roll = 0, x = 1, y = 1, z = 0, startX = 1, startY = 1, start = 0;
  const size_t rig = out.find('\n') + 1;  // after the summary line
  ASSERT_EQ(std::sscanf(out.c_str() + rig, "(%f, %f, %f)\n(%f, %f, %f)\n(%f, %f, %f)", &startX, &startY, &start, &pitch,
                        &yaw, &roll, &x, &y, &z),
            9)
      << out;
  EXPECT_FLOAT_EQ(pitch, -10.0f) << out;
  EXPECT_FLOAT_EQ(yaw, -20.0f) << out;
  // The view starts where the quads' box (7 x 2 units) fits the picture, nearer than where its sphere
  // (radius sqrt(3.5² + 1²)) would.
  EXPECT_GT(start, 0.0f) << out;
  EXPECT_LT(start, std::sqrt(13.25f) / std::sin(22.5f * 0.017453292f) * 1.1f) << out;
  EXPECT_NEAR(z, start * 0.81f, start * 1e-4f) << out;
}

// The columns and rows a grab of a window `width` pixels wide shows the model in (anything but the
// view's background): first and last of each, or -1 for none.
struct Extent {
  int left = -1, right = -1, top = -1, bottom = -1;
};
Extent ModelExtent(const std::vector<uint8_t>& rgb, int width) {
  Extent e;
  for (size_t i = 0; i + 2 < rgb.size(); i += 3) {
    if (std::abs(rgb[i] - 51) <= 6 && std::abs(rgb[i + 1] - 51) <= 6 && std::abs(rgb[i + 2] - 64) <= 6) continue;
    const int x = int(i / 3) % width, y = int(i / 3) / width;
    e.left = e.left < 0 ? x : std::min(e.left, x), e.right = std::max(e.right, x);
    e.top = e.top < 0 ? y : e.top, e.bottom = y;
  }
  return e;
}

TEST_F(ModelViewWindowTest, SpaceFramesTheModelForTheWindowsNewShape) {
  // A quad four times as wide as high, seen straight on, in a window made half as wide after it opens.
  std::string quad;
  for (const char* corner : {"-2 -0.5", "2 -0.5", "2 0.5", "-2 0.5"}) quad += std::string("v ") + corner + " 0\n";
  WriteFile(m_dir.File("wide.obj"), quad + "f 1 2 3 4\n");
  Start({"--view", m_dir.File("wide.obj"), "--window", "-e",
         std::string("RenderPipe:Pipe.WindowTitle '") + kTitle +
             "'; RenderPipe:Pipe.Resolution (320, 240); STransform:SviewOrbit.Rotation (0, 0, 0);"});
  ASSERT_TRUE(FindWindow(kTitle)) << Err();
  WaitForFirstFrame();
  const Extent first = ModelExtent(Grab(), 320);
  ASSERT_GT(first.left, 0) << Err();
  ASSERT_LT(first.right, 319);
  XResizeWindow(m_x, m_window, 160, 240);
  Settle();
  Settle();
  Type(XK_space);
  Settle();
  // The whole quad in the narrow window, across most of its width, as it was across the wide one's.
  XWindowAttributes a;
  ASSERT_TRUE(XGetWindowAttributes(m_x, m_window, &a));
  ASSERT_EQ(a.width, 160);
  const Extent framed = ModelExtent(Grab(), 160);
  EXPECT_GT(framed.left, 0);
  EXPECT_LT(framed.right, 159);
  EXPECT_GT(framed.right - framed.left, (first.right - first.left) / 2 - 8);
  Close();
  EXPECT_EQ(Wait(), 0) << Err();
}

}  // namespace
}  // namespace PM::Test
