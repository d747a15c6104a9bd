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

#include "SampleStyleScene.h"
#include "X11InputFixture.h"
#include "core/StartUp.h"
#include "platform/MessageQueue.h"
#include "platform/X11Clipboard.h"
#include "render/RenderPipe.h"
#include "render/RenderSystemTraverse.h"
#include "script/lang/Parser.h"
#include "script/object/ScriptEngine.h"
#include "support/TestEnv.h"
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

constexpr const char* kField =
    "WText:field . { .Style WidgetStyle:sample; .Editable True; .ResizeModeX Widget.ResizeModeEnum.ResizeExact;\n"
    "  .AlignmentModeX Widget.AlignmentModeEnum.AlignMin; .AlignmentModeY Widget.AlignmentModeEnum.AlignMin;\n"
    "  .Position (20, 100, 0); .Dimension (200, 24, 0); };\n"
    "TWindow:ui.RootWidget WText:field;\n";

int g_changes = 0;
extern "C" void CountChange(uint32_t, Widget_I*, WHandler_I*, uint32_t event, WidgetInput*) {
  g_changes += event == kWEventValueChanged;
}

class TextClipboardX11Test : public X11InputFixture {
 protected:
  void SetUp() override {
    if (std::system("command -v xclip >/dev/null") != 0) GTEST_SKIP() << "needs xclip (tools/install-deps)";
    X11InputFixture::SetUp();
    if (IsSkipped()) return;
    Load(SampleStyleScene(m_dir) + kField);
    g_changes = 0;
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
};

TEST_F(TextClipboardX11Test, CopyCutAndPasteGoThroughTheClipboard) {
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
  Open();
  m_host->SetClipboard(&clipboard);
  MoveTo(30, 110);
  Button(1, true);
  Button(1, false);
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
      {"\xE2\x82\xAC 5", "\x80 5"},  // the euro sign lives at 0x80
      {"caf\xC3\xA9", "caf\xE9"},    // Latin-1 range
      {"a\xE4\xB8\xAD"
       "b",
       "ab"},  // no counterpart: dropped
      {"a\xC3"
       "b\x80"
       "c",
       "abc"},             // a cut sequence and a stray continuation byte
      {"\xC0\x81x", "x"},  // overlong
  };
  for (const auto& c : cases) EXPECT_EQ(Cp1252FromUtf8(c.utf8), c.cp1252) << c.utf8;
  EXPECT_EQ(Utf8FromCp1252("\x80\x81"
                           "caf\xE9"),
            "\xE2\x82\xAC"
            "caf\xC3\xA9");  // 0x81 is unassigned
}

}  // namespace
}  // namespace PM::Test
