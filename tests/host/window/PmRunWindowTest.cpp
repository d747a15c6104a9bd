// pm-run --window as a person uses it: the window stays open, a click on a button raises its event,
// typed keys edit a text widget, and closing the window ends the run well.
#include "PmRunWindow.h"

namespace PM::Test {
namespace {

constexpr const char* kTitle = "pm-run window test";

// A button and an editable text on the sample style's desk, in a 320 x 240 window; widget positions
// count from the lower left corner.
constexpr const char* kScene =
    "RenderPipe:Pipe.WindowTitle 'pm-run window test';\n"
    "WGroup:desk . { .ResizeModeX Widget.ResizeModeEnum.ResizePercent; .ResizeModeY "
    "Widget.ResizeModeEnum.ResizePercent; .Dimension (1, 1, 0); };\n"
    "TWindow:ui.RootWidget WGroup:desk;\n"
    "WButton:press . { .Style WidgetStyle:sample; .Parent WGroup:desk; .Label 'Press';\n"
    "  .AlignmentModeX Widget.AlignmentModeEnum.AlignMin; .AlignmentModeY Widget.AlignmentModeEnum.AlignMin;\n"
    "  .ResizeModeX Widget.ResizeModeEnum.ResizeExact; .ResizeModeY Widget.ResizeModeEnum.ResizeExact;\n"
    "  .Position (20, 160, 0); .Dimension (100, 30, 0); };\n"
    "WHandler:clicked . { .Handle WEvent.ButtonClicked; };\n"
    "WButton:press.HandlerArray << WHandler:clicked;\n"
    "WText:field . { .Style WidgetStyle:sample; .Parent WGroup:desk; .Editable True;\n"
    "  .AlignmentModeX Widget.AlignmentModeEnum.AlignMin; .AlignmentModeY Widget.AlignmentModeEnum.AlignMin;\n"
    "  .ResizeModeX Widget.ResizeModeEnum.ResizeExact; .ResizeModeY Widget.ResizeModeEnum.ResizeExact;\n"
    "  .Position (20, 60, 0); .Dimension (200, 24, 0); };\n";

class PmRunWindowTest : public PmRunWindow {
 protected:
  // pm-run on the sample style and the scene, with a script after the window that prints the text.
  void Start() {
    WriteFile(m_dir.File("scene.bs"), kScene);
    WriteFile(m_dir.File("then.bs"), "pl 'text ' WText:field.Text?;\n");
    const std::string ui = PM_SOURCE_DIR "/examples/ui/";
    PmRunWindow::Start(
        {"--window", ui + "window.bs", ui + "style.bs", m_dir.File("scene.bs"), "--then", m_dir.File("then.bs")});
  }
};

TEST_F(PmRunWindowTest, AClickAndKeysReachTheWidgetsAndClosingEndsTheRun) {
  Start();
  ASSERT_TRUE(FindWindow(kTitle)) << Err();
  // A click before the first frame finds no widgets yet: a loaded machine draws it late.
  WaitForFirstFrame();
  Click(70, 175);  // the button's middle
  Click(40, 72);   // the text takes the keys
  for (KeySym k : {XK_h, XK_i}) Type(k);
  // A frame takes one typed character: a slow machine gets time for both before the window goes.
  std::this_thread::sleep_for(std::chrono::seconds(1));
  Close();
  EXPECT_EQ(Wait(), 0) << Err();
  const std::string out = Out();
  EXPECT_NE(out.find("event press ButtonClicked\n"), std::string::npos) << out;
  EXPECT_NE(out.find("text hi\n"), std::string::npos) << out;
}

}  // namespace
}  // namespace PM::Test
