// The view's window as a newcomer uses it: a model named without --view, pictures of the window (the c
// key, --screenshot on closing, --size), the l key's steps through a file's lights and the view's lamp,
// the key list in a small window, and a plain scene's title.
#include <sys/stat.h>

#include <string>
#include <vector>

#include "PmRunWindow.h"
// Xlib last: its macros would clash with the headers above.
#include <X11/Xutil.h>

namespace PM::Test {
namespace {

constexpr const char* kTitle = "pm-run view pictures test";

// A white quad facing +Z with a red point light before it (its SLight registered as "lamp_3", the
// light's node and its placement taking "lamp" and "lamp_2").
const char kRedLitDae[] = R"(<?xml version="1.0" encoding="utf-8"?>
<COLLADA xmlns="http://www.collada.org/2005/11/COLLADASchema" version="1.4.1">
  <asset><up_axis>Y_UP</up_axis></asset>
  <library_lights><light id="red" name="red"><technique_common><point><color>1 0 0</color></point>
  </technique_common></light></library_lights>
  <library_geometries><geometry id="quad" name="quad"><mesh>
    <source id="p"><float_array id="pa" count="12">-1 -1 0 1 -1 0 1 1 0 -1 1 0</float_array><technique_common>
      <accessor source="#pa" count="4" stride="3"><param name="X" type="float"/><param name="Y" type="float"/>
      <param name="Z" type="float"/></accessor></technique_common></source>
    <vertices id="v"><input semantic="POSITION" source="#p"/></vertices>
    <triangles count="2"><input semantic="VERTEX" source="#v" offset="0"/><p>0 1 2 0 2 3</p></triangles>
  </mesh></geometry></library_geometries>
  <library_visual_scenes><visual_scene id="scene">
    <node id="quadNode" name="quadNode"><instance_geometry url="#quad"/></node>
    <node id="lamp" name="lamp"><translate>0 0 3</translate><instance_light url="#red"/></node>
  </visual_scene></library_visual_scenes>
  <scene><instance_visual_scene url="#scene"/></scene>
</COLLADA>
)";

// A PNG file's width and height from its header; (0, 0) when it is none.
std::pair<int, int> SizeOf(const std::string& file) {
  const std::string bytes = ReadFile(file);
  if (bytes.size() < 24 || bytes.compare(1, 3, "PNG") != 0 || bytes.compare(12, 4, "IHDR") != 0) return {0, 0};
  const auto at = [&bytes](size_t i) {
    return int(uint8_t(bytes[i])) << 24 | int(uint8_t(bytes[i + 1])) << 16 | int(uint8_t(bytes[i + 2])) << 8 |
           int(uint8_t(bytes[i + 3]));
  };
  return {at(16), at(20)};
}

int CountOf(const std::string& text, const std::string& part) {
  int n = 0;
  for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
  return n;
}

class ModelViewPicturesTest : public PmRunLibraryWindow {
 protected:
  // The picture once two grabs a while apart agree (at most 10 s).
  std::vector<uint8_t> Settled() {
    std::vector<uint8_t> last = Grab();
    for (int tries = 0; tries < 40; ++tries) {
      std::this_thread::sleep_for(std::chrono::milliseconds(250));
      std::vector<uint8_t> now = Grab();
      if (now == last) return now;
      last = now;
    }
    ADD_FAILURE() << "the picture did not settle";
    return last;
  }
};

TEST_F(ModelViewPicturesTest, AModelNamedAloneIsViewedAndPhotographed) {
  WriteFile(m_dir.File("a.obj"), "v 0 0 0\nv 1 0 0\nv 1 1 0\nv 0 1 0\nf 1 2 3 4\n");
  Start({"a.obj", "--size", "200x150", "--screenshot", "closed.png", "-e",
         std::string("RenderPipe:Pipe.WindowTitle '") + kTitle + "';"},
        m_dir.Path());
  ASSERT_TRUE(FindWindow(kTitle)) << Err();
  XWindowAttributes a;
  ASSERT_TRUE(XGetWindowAttributes(m_x, m_window, &a));
  EXPECT_EQ(a.width, 200);
  EXPECT_EQ(a.height, 150);
  WaitForFirstFrame();
  // Each picture is written on the frame after the one it shows: a while is left for it.
  for (int k = 0; k < 2; ++k) {
    Type(XK_c);
    for (int waited = 0; waited < 50 && CountOf(Out(), "wrote ") <= k; ++waited) Settle();
  }
  Close();
  ASSERT_EQ(Wait(), 0) << Err();
  EXPECT_EQ(Err(), "pm-run: \"a.obj\" is a model, not a script: viewing it as --view a.obj does.\n");
  const std::string out = Out();
  EXPECT_NE(out.find("\nwrote pm-run-1.png\nwrote pm-run-2.png\n"), std::string::npos) << out;
  for (const char* name : {"pm-run-1.png", "pm-run-2.png", "closed.png"})
    EXPECT_EQ(SizeOf(m_dir.File(name)), std::make_pair(200, 150)) << name;
}

// l steps: the file's lights with the dim lamp (as it starts), the lamp alone, the file's lights alone.
TEST_F(ModelViewPicturesTest, TheLightKeyStepsThroughTheFilesLightsAndTheLamp) {
  WriteFile(m_dir.File("red.dae"), kRedLitDae);
  WriteFile(m_dir.File("then.bs"),
            "pl SLight:lamp_3.Visibility? ' ' SLight:viewLampS.Visibility? ' ' SLight:viewLampS.Color?;\n");
  const std::string said[] = {"1 1 (0.1,0.1,0.1)", "0 1 (0.75,0.75,0.75)", "1 0"};
  for (int presses = 0; presses < 3; ++presses) {
    Start({"--view", m_dir.File("red.dae"), "-e", std::string("RenderPipe:Pipe.WindowTitle '") + kTitle + "';",
           "--then", m_dir.File("then.bs")},
          m_dir.Path());
    ASSERT_TRUE(FindWindow(kTitle)) << Err();
    WaitForFirstFrame();
    for (int k = 0; k < presses; ++k) Type(XK_l);
    Settle();
    Close();
    ASSERT_EQ(Wait(), 0) << Err();
    m_window = 0;
    const std::string out = Out();
    EXPECT_EQ(out.substr(out.find('\n') + 1).rfind(said[presses], 0), 0u) << presses << " presses: " << out;
  }
}

// At 320 x 240 the key list does not fit: h shows it page by page, then hides it.
TEST_F(ModelViewPicturesTest, TheKeyListPagesInASmallWindow) {
  WriteFile(m_dir.File("a.obj"), "v 0 0 0\nv 1 0 0\nv 1 1 0\nf 1 2 3\n");
  Start({"--view", m_dir.File("a.obj"), "--size", "320x240", "-e",
         std::string("RenderPipe:Pipe.WindowTitle '") + kTitle + "';"},
        m_dir.Path());
  ASSERT_TRUE(FindWindow(kTitle)) << Err();
  WaitForFirstFrame();
  const std::vector<uint8_t> base = Settled();
  std::vector<std::vector<uint8_t>> pages;
  for (int k = 0; k < 6; ++k) {
    Type(XK_h);
    std::vector<uint8_t> now = Settled();
    if (now == base) break;
    pages.push_back(now);
  }
  ASSERT_GE(pages.size(), 2u);
  ASSERT_LT(pages.size(), 6u);  // hidden again after the last page
  EXPECT_NE(pages[0], pages[1]);
  Close();
  EXPECT_EQ(Wait(), 0) << Err();
}

// A scene's window with no title of its own is named by its scripts.
TEST_F(ModelViewPicturesTest, APlainScenesWindowIsNamedByItsScripts) {
  WriteFile(m_dir.File("scene.bs"), "RenderPipe:Pipe . { .Resolution (160, 120); };\n");
  Start({"--window", m_dir.File("scene.bs"), "-e", "pl 'ran';"}, m_dir.Path());
  ASSERT_TRUE(FindWindow("scene.bs -e - pm-run")) << Err();
  Close();
  EXPECT_EQ(Wait(), 0) << Err();
}

}  // namespace
}  // namespace PM::Test
