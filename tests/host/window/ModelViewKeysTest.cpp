// pm-run --view --window's keys and mouse through the real window on both engines, driven by XTest as
// a person would, each change seen in the window's own pixels: the coloured quads for the view's
// toggles, drags, zoom and texts; a walking man for textures, the skeleton and the clip keys.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "PmRunWindow.h"
#include "core/StartUp.h"
#include "engine/Image.h"
#include "support/CrossImageCompare.h"
#include "support/ImageCompare.h"
// Xlib last: its macros would clash with the headers above.
#include <X11/Xutil.h>

namespace PM::Test {
namespace {

constexpr int kWidth = 480, kHeight = 360;
// The statistics' first line, the frame rate (with its shadow), changes from frame to frame.
constexpr int kRateRows = 24;
// Where the statistics' lines end, above the model.
constexpr int kTextRows = 70;
const std::string kColours = PM_SOURCE_DIR "/tests/import/data/colours.obj";
const std::string kMan = "/usr/share/assimp/models/MDL/MDL (HL1)/man.mdl";
const std::string kReferences = PM_SOURCE_DIR "/tests/host/reference/";

// The window's pixels, RGB.
struct Shot {
  int width = 0, height = 0;
  std::vector<uint8_t> rgb;
  const uint8_t* At(int x, int y) const { return &rgb[(size_t(y) * size_t(width) + size_t(x)) * 3]; }
};

// Pixels whose red, green or blue differ by more than 8 (from row `fromRow` down).
int Differing(const Shot& a, const Shot& b, int fromRow = 0) {
  if (a.width != b.width || a.height != b.height) return -1;
  int n = 0;
  for (size_t i = size_t(fromRow) * size_t(a.width) * 3; i < a.rgb.size(); i += 3)
    n += std::abs(a.rgb[i] - b.rgb[i]) > 8 || std::abs(a.rgb[i + 1] - b.rgb[i + 1]) > 8 ||
         std::abs(a.rgb[i + 2] - b.rgb[i + 2]) > 8;
  return n;
}

// Where the pixels of one quad's colour lie: how many, and their mean column.
struct Spot {
  int count = 0;
  double x = 0;
};
// 0 red, 1 green, 2 blue: the channel that stands out by 60 over both others.
Spot Find(const Shot& s, int channel) {
  Spot spot;
  for (int y = 0; y < s.height; ++y)
    for (int x = 0; x < s.width; ++x) {
      const uint8_t* p = s.At(x, y);
      if (p[channel] > p[(channel + 1) % 3] + 60 && p[channel] > p[(channel + 2) % 3] + 60) {
        ++spot.count;
        spot.x += x;
      }
    }
  if (spot.count) spot.x /= spot.count;
  return spot;
}

// Pixels other than the view's background (0.2, 0.2, 0.252).
int Foreground(const Shot& s) {
  int n = 0;
  for (size_t i = 0; i < s.rgb.size(); i += 3)
    n += std::abs(s.rgb[i] - 51) > 6 || std::abs(s.rgb[i + 1] - 51) > 6 || std::abs(s.rgb[i + 2] - 64) > 6;
  return n;
}

class ModelViewKeysTest : public PmRunEngineWindow {
 protected:
  // The view of `model` (and of `second` beside it when given).
  void StartView(const std::string& model, const std::string& setup, const std::string& then,
                 const std::string& second = "") {
    WriteFile(m_dir.File("then.bs"), then);
    std::vector<std::string> args{"--engine", GetParam(), "--view", model};
    if (!second.empty()) args.insert(args.end(), {"--view", second});
    args.insert(args.end(), {"--window", "-e",
                             "RenderPipe:Pipe.Resolution (" + std::to_string(kWidth) + ", " + std::to_string(kHeight) +
                                 "); " + setup,
                             "--then", m_dir.File("then.bs")});
    Start(args);
    // The window's title names the file (the first and how many more).
    ASSERT_TRUE(FindWindow((model + (second.empty() ? "" : " and 1 more") + " - pm-run").c_str())) << Err();
    // The first frame drawn (the window is black before it; a loaded machine takes a while), then the
    // picture as it stays.
    for (int tries = 0; tries < 100; ++tries) {
      const Shot s = Grab();
      if (s.width > 0 && std::abs(s.At(0, s.height - 1)[2] - 64) <= 6) break;
      Settle();
    }
    Settled();
  }

  Shot Grab() {
    Shot s;
    XWindowAttributes a;
    if (!XGetWindowAttributes(m_x, m_window, &a)) return s;
    XImage* image = XGetImage(m_x, m_window, 0, 0, unsigned(a.width), unsigned(a.height), AllPlanes, ZPixmap);
    if (!image) return s;
    s.width = a.width;
    s.height = a.height;
    s.rgb.resize(size_t(s.width) * size_t(s.height) * 3);
    for (int y = 0; y < s.height; ++y)
      for (int x = 0; x < s.width; ++x) {
        const unsigned long p = XGetPixel(image, x, y);
        uint8_t* o = &s.rgb[(size_t(y) * size_t(s.width) + size_t(x)) * 3];
        o[0] = uint8_t((p & image->red_mask) >> 16);
        o[1] = uint8_t((p & image->green_mask) >> 8);
        o[2] = uint8_t(p & image->blue_mask);
      }
    XDestroyImage(image);
    return s;
  }
  // The picture once two grabs a while apart agree from row `fromRow` down (at most 10 s): every change
  // of the keys drawn.
  Shot Settled(int fromRow = 0) {
    Shot last = Grab();
    for (int tries = 0; tries < 40; ++tries) {
      std::this_thread::sleep_for(std::chrono::milliseconds(250));
      Shot now = Grab();
      if (Differing(now, last, fromRow) == 0) return now;
      last = now;
    }
    ADD_FAILURE() << "the picture did not settle";
    return last;
  }
  // The picture some frames after `shot`: how many pixels moved meanwhile.
  int Moving(Shot* after = nullptr) {
    const Shot a = Grab();
    std::this_thread::sleep_for(std::chrono::milliseconds(400));
    const Shot b = Grab();
    if (after) *after = b;
    return Differing(a, b);
  }
  Shot Press(KeySym key, int fromRow = 0) {
    Type(key);
    return Settled(fromRow);
  }
  // Drags with `button` from the client pixel (x, y) by (dx, dy) in steps.
  void Drag(unsigned button, int x, int y, int dx, int dy) {
    MoveDown(x, y);
    XTestFakeButtonEvent(m_x, button, True, CurrentTime);
    Settle();
    for (int k = 1; k <= 4; ++k) MoveDown(x + dx * k / 4, y + dy * k / 4);
    XTestFakeButtonEvent(m_x, button, False, CurrentTime);
    Settle();
  }
  void MoveDown(int x, int y) { MoveTo(x, 239 - y); }  // PmRunWindow counts up from a 240 px window's edge

  // The picture against the reference `name` (rows from `fromRow` down to `toRow`, when given): OpenGL's
  // as it is, Direct3D 8's by the cross-back-end rule.
  void ExpectPicture(const Shot& s, const std::string& name, int fromRow = 0, int toRow = -1) {
    if (toRow < 0) toRow = s.height;
    Obj<Image_I> got(Image_I::New());
    got->Create(4, s.width, s.height, 0);
    // The image's rows count from the bottom, the window's from the top.
    for (int y = 0; y < s.height; ++y)
      for (int x = 0; x < s.width; ++x) {
        const uint8_t* p = s.At(x, y < fromRow ? 0 : y < toRow ? y : s.height - 1);
        got->SetPixel(x, s.height - 1 - y, R8G8B8A8{p[0], p[1], p[2], 255});
      }
    const std::string base = kReferences + name;
    if (std::string(GetParam()) == "OpenGL") {
      ExpectMatchesReference(got, base);
      return;
    }
    Obj<Image_I> want(Image_I::New());
    ASSERT_EQ(want->ImportFile(String(base.c_str())), 0) << base;
    const int top = want->GetHeight() - 1;
    for (int y = 0; y < want->GetHeight(); ++y)
      for (int x = 0; x < want->GetWidth(); ++x) {
        if (y >= fromRow && y < toRow) continue;
        R8G8B8A8 p;
        want->GetPixel(p, x, y < fromRow ? top : 0);
        want->SetPixel(x, top - y, p);
      }
    const std::string failed = CheckAcrossBackEnds(*got, *want, m_dir.File(name));
    EXPECT_TRUE(failed.empty()) << name << ": " << failed;
  }
};

TEST_P(ModelViewKeysTest, TogglesDragsZoomAndTexts) {
  StartView(kColours, "STransform:SviewOrbit.Rotation (0, 0, 0);", "pl 'closed';\n");
  const Shot base = Settled();
  const Spot red = Find(base, 0);
  ASSERT_GT(red.count, 1000) << Err();
  ASSERT_GT(Find(base, 1).count, 1000);
  ASSERT_GT(Find(base, 2).count, 1000);

  // l: unlit, the quads show their material colours in full; again: lit as before.
  const Shot unlit = Press(XK_l);
  EXPECT_GT(Differing(unlit, base), red.count);
  EXPECT_EQ(Differing(Press(XK_l), base), 0);
  // w: the edges alone; again: the corners alone (three quads: 12 points, squares of 4 x 4 pixels in
  // a window of 480 x 360); again: filled.
  const Shot wire = Press(XK_w);
  EXPECT_LT(Find(wire, 0).count, red.count / 4);
  EXPECT_GT(Foreground(wire), 100);
  const int points = Foreground(Press(XK_w));
  EXPECT_GE(points, 8 * 16);
  EXPECT_LE(points, 12 * 16);
  EXPECT_EQ(Differing(Press(XK_w), base), 0);

  // Right drag pans 40 pixels right: the quads follow the pointer; a middle drag back undoes it.
  Drag(3, 200, 100, 40, 0);
  const Shot panned = Settled();
  EXPECT_NEAR(Find(panned, 0).x, red.x + 40, 2);
  Drag(2, 240, 100, -40, 0);
  EXPECT_LE(Differing(Settled(), base), 50);
  // Two wheel steps nearer: each 0.9 of the distance, the quads' area 1 / 0.81² as large.
  for (int k = 0; k < 2; ++k) {
    XTestFakeButtonEvent(m_x, 4, True, CurrentTime);
    XTestFakeButtonEvent(m_x, 4, False, CurrentTime);
    Settle();
  }
  EXPECT_NEAR(Find(Settled(), 0).count / double(red.count), 1 / (0.81 * 0.81), 0.15);
  // Space: the first view again.
  EXPECT_LE(Differing(Press(XK_space), base), 50);

  // A left drag of 360 pixels turns the model half round: the quads' backs show, the OBJ file saying
  // nothing of its sides; b culls every back face, b again draws both sides.
  Drag(1, 60, 120, 180, 0);
  Drag(1, 60, 120, 180, 0);
  const Shot back = Settled();
  EXPECT_GT(Foreground(back), 3000);
  EXPECT_LT(Foreground(Press(XK_b)), 50);
  EXPECT_EQ(Differing(Press(XK_b), back), 0);
  EXPECT_LE(Differing(Press(XK_space), base), 50);

  // s: the statistics over the model (the first line, the frame rate, left out of the comparison).
  const Shot statistics = Press(XK_s, kRateRows);
  ExpectPicture(statistics, "view_statistics", kRateRows);
  // w with them shown: the wireframe's lines counted and named, the mode named; w twice more: filled.
  // The engines rasterise lines by rules a pixel apart along a whole edge, which the cross-back-end
  // rule's mean does not allow over three framed quads: Direct3D 8's wireframe is held to its text here.
  ExpectPicture(Press(XK_w, kRateRows), "view_statistics_wireframe", kRateRows,
                std::string(GetParam()) == "OpenGL" ? -1 : kTextRows);
  Type(XK_w);
  EXPECT_EQ(Differing(Press(XK_w, kRateRows), statistics, kRateRows), 0);
  EXPECT_EQ(Differing(Press(XK_s), base), 0);
  // h and F1: the keys.
  const Shot keys = Press(XK_h);
  ExpectPicture(keys, "view_keys");
  EXPECT_EQ(Differing(Press(XK_h), base), 0);
  EXPECT_EQ(Differing(Press(XK_F1), keys), 0);
  EXPECT_EQ(Differing(Press(XK_F1), base), 0);

  // q closes: the run ends well, the --then script runs.
  Type(XK_q);
  EXPECT_EQ(Wait(), 0) << Err();
  EXPECT_NE(Out().find("closed\n"), std::string::npos) << Out();
}

// Several files: the statistics name the first model's up axis, as one file's do (the row that holds
// them has none of its own): the line "up y, filled" the same pixels as one file's.
TEST_P(ModelViewKeysTest, WithSeveralFilesTheStatisticsNameTheFirstModelsUp) {
  constexpr int kUpTop = 36, kUpBottom = 49;
  const auto upLine = [](const Shot& s) {
    Shot line = s;
    line.height = kUpBottom - kUpTop;
    line.rgb.assign(s.rgb.begin() + kUpTop * s.width * 3, s.rgb.begin() + kUpBottom * s.width * 3);
    return line;
  };
  StartView(kColours, "", "");
  const Shot one = upLine(Press(XK_s, kRateRows));
  Type(XK_q);
  ASSERT_EQ(Wait(), 0) << Err();
  ASSERT_GT(Foreground(one), 100) << "the line is there";
  m_window = 0;
  StartView(kColours, "", "", kColours);
  EXPECT_EQ(Differing(upLine(Press(XK_s, kRateRows)), one), 0);
  Type(XK_q);
  EXPECT_EQ(Wait(), 0) << Err();
}

TEST_P(ModelViewKeysTest, TexturesSkeletonAndClips) {
  StartView(kMan, "",
            "pl AnimationClip:reference_2.Enabled? ' ' AnimationClip:walk_2.Enabled? ' ' "
            "AnimationClip:arms_up_4.Enabled? ' ' AnimationClip:arms_up_5.Enabled?;\n");
  // The first clip, the reference pose, stands still.
  const Shot base = Settled();
  ASSERT_GT(Foreground(base), 2000) << Err();
  // t: the material colours alone; again: textured.
  EXPECT_GT(Differing(Press(XK_t), base), 500);
  EXPECT_EQ(Differing(Press(XK_t), base), 0);
  // k: the joints drawn as lines over the model; again: gone.
  EXPECT_GT(Differing(Press(XK_k), base), 20);
  EXPECT_EQ(Differing(Press(XK_k), base), 0);

  // n: the next clip, the walk (which moves in its first second and a half), plays from its start;
  // '.' pauses it at once: the figure holds.
  Type(XK_n);
  const Shot paused = Press(XK_period);
  EXPECT_EQ(Moving(), 0);
  // ',': one frame on, held again.
  const Shot stepped = Press(XK_comma);
  EXPECT_GT(Differing(stepped, paused), 20);
  EXPECT_EQ(Moving(), 0);
  // '-' six times, '.': on at a 64th of the speed, hardly moving.
  for (int k = 0; k < 6; ++k) Type(XK_minus);
  Type(XK_period);
  const int slow = Moving();
  // '.', '+' six times, '.': on at the first speed.
  Type(XK_period);
  for (int k = 0; k < 6; ++k) Type(XK_plus);
  Type(XK_period);
  const int normal = Moving();
  EXPECT_GT(normal, 200);
  EXPECT_LT(slow, normal / 4);
  // u: the next up axis turns the model.
  const Shot upright = Press(XK_period);  // paused: only the turn changes the picture
  const Shot turned = Press(XK_u);
  EXPECT_GT(Differing(turned, upright), 200);
  // p twice: back past the first clip to the last.
  Type(XK_p);
  Type(XK_p);
  Settle();

  // Esc closes; the clips' flags tell which plays.
  Type(XK_Escape);
  EXPECT_EQ(Wait(), 0) << Err();
  EXPECT_NE(Out().find("false false false true\n"), std::string::npos) << Out();
}

INSTANTIATE_TEST_SUITE_P(Engines, ModelViewKeysTest, ::testing::Values("OpenGL", "DirectX8"));

}  // namespace
}  // namespace PM::Test
