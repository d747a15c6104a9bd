// A render pipe whose engine type is "DirectX8" draws its frames through the Direct3D 8 engine on our
// software device: the frame of an empty channel is its clear colour in the window.
#include <gtest/gtest.h>

#include <cstdlib>

#include "../../scene/EngineWorld.h"
#include "platform/ModuleLoader.h"
#include "platform/PlatformWindow.h"
#include "platform/d3d8/D3D8Control.h"
#include "render/RenderChannel.h"
#include "render/RenderPipe.h"
#include "render/RenderSystemTraverse.h"
#include "render/d3d8/RenderEngineDirectX8.h"

// Xlib last: its macros (None, Bool, Status) would clash with the headers above.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace PM::Test {
namespace {

class PipeOnDirectX8Test : public EngineWorldTest {};

TEST_F(PipeOnDirectX8Test, EmptyChannelPresentsTheDefaultClearColour) {
  if (!std::getenv("DISPLAY")) GTEST_SKIP() << "needs an X display";
  D3D8Control* control =
      reinterpret_cast<D3D8GetControlFn>(Module::Symbol(Module::Load("d3d8.dll"), "D3D8GetControl"))();
  control->Reset();
  const int presentsBefore = control->PresentCount();  // counted over the process, across tests
  {
    Obj<RenderPipe_I> pipe(static_cast<RenderPipe_I*>(ScriptObject::Create(RenderPipe_I::kClassId)));
    MemberSet<VString>(pipe, 0x01FFF080, String("DirectX8"));  // RenderEngineType
    pipe->SetResolution({320.0f, 240.0f});
    ASSERT_EQ(pipe->ApplyFormat(), SOK);
    ASSERT_NE(dynamic_cast<RenderEngineDirectX8_D*>(pipe->GetRenderEngine()), nullptr);
    Obj<ScriptObject> root = Make("TTransform");
    Obj<ScriptObject> channel = Make("RenderChannel");
    MemberSet<VObject>(channel, 0x01FFF081, root.Get());  // SceneRoot
    Ptr<RenderSystemTraverse_I> traverse(RenderSystemTraverse_I::Create());
    traverse->SetRenderPipe(pipe);
    traverse->SetChannel(0, channel);
    for (int frame = 0; frame < 3; ++frame) {
      traverse->Draw(frame / 60.0, 1 / 60.0, 0);
      traverse->Present(0);
    }
    EXPECT_EQ(control->PresentCount() - presentsBefore, 3);
    EXPECT_EQ(pipe->GetRenderEngine()->GetPrimitiveCount(), 0);
    PlatformWindow* window = pipe->GetWindowHandle();
    XImage* image = XGetImage(window->display, window->window, 0, 0, 320, 240, AllPlanes, ZPixmap);
    ASSERT_NE(image, nullptr);
    int grey = 0;
    for (int y = 0; y < 240; ++y)
      for (int x = 0; x < 320; ++x) grey += (XGetPixel(image, x, y) & 0xFFFFFF) == 0x3F3F3F;
    XDestroyImage(image);
    EXPECT_EQ(grey, 320 * 240) << "0.25 x 255 truncated is 63 in every channel";
    traverse.Clear();
    pipe->DeInitializeWindow();
  }
  EXPECT_EQ(control->LiveObjects(), 0);
}

}  // namespace
}  // namespace PM::Test
