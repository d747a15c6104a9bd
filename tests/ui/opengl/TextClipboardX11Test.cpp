// Copy, cut and paste between an editable text and the X11 clipboard, with xclip as the other client:
// real XTest keys on a real window, the host's clipboard answering and asking every frame, and xclip
// run as a child process while the frames go on.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>

#include "core/Module.h"
#include "platform/MessageQueue.h"
#include "platform/X11Clipboard.h"
#include "render/RenderPipe.h"
#include "render/RenderSystemTraverse.h"
#include "script/lang/Parser.h"
#include "script/object/ScriptEngine.h"
#include "support/TestEnv.h"
#include "support/WidgetInputHost.h"
#include "ui/WEvent.h"
#include "ui/WEventCallback.h"
#include "ui/WHandler.h"
#include "ui/WText.h"
#include "ui/Window.h"
// Xlib last: its macros (None, Bool, Status) would clash with the headers above.
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

namespace PM::Test {
namespace {

const std::string kExamples = std::string(PM_UI_DATA_DIR) + "/../../../examples/ui";

constexpr const char* kScene =
    "RenderPipe:Pipe . { .Resolution (320, 240); .ColorBits 24; .DepthBits 24; .SwapInterval 0; };\n"
    "TTransform:root . { };\n"
    "SCamera:lens . { .FieldOfView 45.0; };\n"
    "TCamera:camera . { .SNode SCamera:lens; .Parent TTransform:root; };\n"
    "TWindow:ui . { .VirtualResolution (320, 240, 0); .Parent TTransform:root; };\n"
    "RenderChannel:Channel0 . { .SceneRoot TTransform:root; .Camera TCamera:camera; };\n";
constexpr const char* kField =
    "WText:field . { .Style WidgetStyle:sample; .Editable True; .ResizeModeX Widget.ResizeModeEnum.ResizeExact;\n"
    "  .AlignmentModeX Widget.AlignmentModeEnum.AlignMin; .AlignmentModeY Widget.AlignmentModeEnum.AlignMin;\n"
    "  .Position (20, 100, 0); .Dimension (200, 24, 0); };\n"
    "TWindow:ui.RootWidget WText:field;\n";

int g_changes = 0;
extern "C" void CountChange(uint32_t, Widget_I*, WHandler_I*, uint32_t event, WidgetInput*) {
  g_changes += event == kWEventValueChanged;
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

class TextClipboardX11Test : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!std::getenv("DISPLAY")) GTEST_SKIP() << "needs an X display (run under xvfb-run -a)";
    if (std::system("command -v xclip >/dev/null") != 0) GTEST_SKIP() << "needs xclip (tools/install-deps)";
    setenv("PM_LOG_DIR", m_dir.Path().c_str(), 1);
    m_x = XOpenDisplay(nullptr);
    ASSERT_NE(m_x, nullptr);
    std::filesystem::copy_file(kExamples + "/skin.png", m_dir.File("skin.png"));
    ASSERT_EQ(DLLInitialize(1), 0u);
    m_engine = static_cast<ScriptEngine*>(ScriptEngine::Create());
    const std::string text = std::string(kScene) + "FileObject:skinFile . { .FileName 'absolute://" +
                             m_dir.File("skin") + "'; };\n" + ReadFile(kExamples + "/style.bs") + kField;
    Parser::ParseText(m_engine, String(text.c_str()), String("field.bs"), kParseCountLines);
    g_changes = 0;
  }
  void TearDown() override {
    if (m_engine.IsNil()) {
      if (m_x) XCloseDisplay(m_x);
      return;
    }
    if (!m_window.IsNil()) {
      m_window->m_rootWidget.Clear();
      m_window->m_input = WidgetInput();
    }
    m_record = WidgetInput();
    m_traverse = nullptr;
    m_window.Clear();
    m_pipe.Clear();
    m_engine.Clear();
    DLLDeInitialize(0);
    XCloseDisplay(m_x);
  }
  ScriptObject* Find(const char* name) { return m_engine->GetNamespace()->FindObject(String(name)); }

  void Frames(int n = 1) {
    for (int i = 0; i < n; ++i) {
      XSync(m_x, False);
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
      WindowMessage m;
      while (PeekMessage(&m, nullptr, PM_REMOVE))
        if (!m_pipe->FilterMessage(&m)) DispatchMessage(&m);
      m_host->Fill(m_record, m_window.Get());
      m_window->DispatchInput(&m_record);
      m_host->Dispatched(m_record);
      m_traverse->Draw(0.0, 1.0 / 60, 0);
      m_traverse->Present(0);
    }
  }
  void Key(KeySym sym, bool press) {
    XTestFakeKeyEvent(m_x, XKeysymToKeycode(m_x, sym), press, CurrentTime);
    XSync(m_x, False);
  }
  // A key pressed and released with the given modifier held (NoSymbol: none), then two frames.
  void Type(KeySym sym, KeySym modifier = NoSymbol) {
    if (modifier != NoSymbol) Key(modifier, true);
    Key(sym, true);
    Key(sym, false);
    if (modifier != NoSymbol) Key(modifier, false);
    Frames(2);
  }
  // Runs `command` in a child process while frames go on (at most 5 s); its output.
  std::string RunWhilePumping(const std::string& command) {
    std::atomic<bool> done{false};
    std::string out;
    std::thread child([&] {
      if (FILE* p = popen(command.c_str(), "r")) {
        char buffer[256];
        size_t n;
        while ((n = fread(buffer, 1, sizeof buffer, p)) > 0) out.append(buffer, n);
        pclose(p);
      }
      done = true;
    });
    for (int i = 0; i < 250 && !done; ++i) Frames(1);
    child.join();
    return out;
  }

  Display* m_x = nullptr;
  TempDir m_dir;
  Obj<ScriptEngine> m_engine;
  Obj<RenderPipe_I> m_pipe;
  Obj<TWindow_I> m_window;
  Ptr<RenderSystemTraverse_I> m_traverse;
  WidgetInputHost* m_host = nullptr;
  WidgetInput m_record;
  int32_t m_left = 0, m_top = 0;
};

TEST_F(TextClipboardX11Test, CopyCutAndPasteGoThroughTheClipboard) {
  m_pipe = static_cast<RenderPipe_I*>(Find("Pipe"));
  m_window = static_cast<TWindow_I*>(Find("ui"));
  auto* field = static_cast<WText_I*>(Find("field"));
  ASSERT_NE(field, nullptr);
  Obj<WEventCallback_I> callback(static_cast<WEventCallback_I*>(WEventCallback_I::Create()));
  callback->SetFunction(&CountChange);
  auto* handler = static_cast<WHandler_I*>(ScriptObject::Create(ClassId::WHandler));
  handler->m_handle = kWEventValueChanged;
  handler->m_destination = callback.Get();
  field->m_handlerArray.Append(Obj<WHandler_I>(handler));

  X11Clipboard clipboard;
  ASSERT_TRUE(clipboard.Connected());
  m_host = NewCounted<WidgetInputHost>();
  m_host->SetClipboard(&clipboard);
  m_pipe->SetInputTracker(m_host);
  XTestFakeMotionEvent(m_x, -1, 0, 0, CurrentTime);
  XSync(m_x, False);
  ASSERT_EQ(m_pipe->ApplyFormat(), 0);
  int32_t w, h;
  m_pipe->GetWindowRect(&m_left, &m_top, &w, &h);
  m_host->SetClientRect(m_left, m_top, w, h);
  m_traverse = Ptr<RenderSystemTraverse_I>(RenderSystemTraverse_I::Create());
  m_traverse->SetRenderPipe(m_pipe.Get());
  m_traverse->SetChannel(0, Find("Channel0"));
  Frames(3);

  XTestFakeMotionEvent(m_x, -1, m_left + 30, m_top + 239 - 110, CurrentTime);
  XTestFakeButtonEvent(m_x, 1, True, CurrentTime);
  XTestFakeButtonEvent(m_x, 1, False, CurrentTime);
  Frames(3);
  ASSERT_EQ(field->GetCursorPos(), 0);
  for (KeySym k : {XK_a, XK_b, XK_c}) Type(k);
  Type(XK_Left);
  Type(XK_Left, XK_Shift_L);
  Type(XK_c, XK_Control_L);
  EXPECT_EQ(field->GetText(), "abc");
  EXPECT_TRUE(clipboard.Owns());
  EXPECT_EQ(RunWhilePumping("xclip -selection clipboard -o"), "b");

  // xclip takes the selection and keeps serving it in the background until someone else takes it.
  ASSERT_EQ(std::system("printf xyz | xclip -selection clipboard -i"), 0);
  for (int i = 0; i < 100 && clipboard.Owns(); ++i) Frames(1);
  ASSERT_FALSE(clipboard.Owns());
  Type(XK_v, XK_Control_L);
  EXPECT_EQ(field->GetText(), "axyzc");
  EXPECT_EQ(field->GetCursorPos(), 4);
  EXPECT_EQ(g_changes, 4);

  Type(XK_a, XK_Control_L);
  Type(XK_x, XK_Control_L);
  EXPECT_EQ(field->GetText(), "");
  EXPECT_EQ(RunWhilePumping("xclip -selection clipboard -o"), "axyzc");
}

TEST(X11ClipboardText, CodePageRoundTripDropsWhatHasNoCounterpart) {
  const struct {
    std::string utf8, cp1252;
  } cases[] = {
      {"abc", "abc"},
      {"\xE2\x82\xAC 5", "\x80 5"},          // the euro sign lives at 0x80
      {"caf\xC3\xA9", "caf\xE9"},            // Latin-1 range
      {"a\xE4\xB8\xAD" "b", "ab"},          // no counterpart: dropped
      {"a\xC3" "b\x80" "c", "abc"},          // a cut sequence and a stray continuation byte
      {"\xC0\x81x", "x"},                    // overlong
  };
  for (const auto& c : cases) EXPECT_EQ(Cp1252FromUtf8(c.utf8), c.cp1252) << c.utf8;
  EXPECT_EQ(Utf8FromCp1252("\x80\x81" "caf\xE9"), "\xE2\x82\xAC" "caf\xC3\xA9");  // 0x81 is unassigned
}

}  // namespace
}  // namespace PM::Test
