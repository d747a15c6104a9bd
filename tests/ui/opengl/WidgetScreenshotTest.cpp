// A widget tree drawn by the OpenGL engine in one traversal frame and compared with its reference image:
// an AlignMin/AlignMax pair, a ResizePercent bar, a tinted branch, a DrawPriority 1 widget over a later
// sibling, a clipped child and a hidden widget. PM_UPDATE_REFERENCES=1 writes the reference instead.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "core/Log.h"
#include "core/StartUp.h"
#include "engine/Image.h"
#include "render/RenderPipe.h"
#include "render/RenderShader.h"
#include "render/RenderSystemTraverse.h"
#include "script/lang/Parser.h"
#include "script/object/ScriptEngine.h"
#include "support/ElementWidget.h"
#include "support/ImageCompare.h"
#include "support/TestEnv.h"
#include "ui/UIElement.h"
#include "ui/WTransform.h"
#include "ui/Window.h"

namespace PM::Test {
namespace {

constexpr const char* kScene =
    "RenderPipe:Pipe . { .Resolution (320, 240); .ColorBits 24; .DepthBits 24; .StencilBits 8; .SwapInterval 0; };\n"
    "TTransform:root . { };\n"
    "SCamera:lens . { .FieldOfView 45.0; };\n"
    "TCamera:camera . { .SNode SCamera:lens; .Parent TTransform:root; };\n"
    "TWindow:ui . { .VirtualResolution (320, 240, 0); .Parent TTransform:root; };\n"
    "ShaderPhong:plain . { };\n"
    "RenderShader:flat . { .Surface ShaderPhong:plain; .LightEnable False; };\n"
    "RenderChannel:Channel0 . { .SceneRoot TTransform:root; .Camera TCamera:camera; };\n";

class WidgetScreenshotTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!std::getenv("DISPLAY")) GTEST_SKIP() << "needs an X display (run under xvfb-run -a)";
    setenv("PM_LOG_DIR", m_dir.Path().c_str(), 1);
    ASSERT_EQ(DLLInitialize(1), 0u);
    m_engine = static_cast<ScriptEngine*>(ScriptEngine::Create());
    Parser::ParseText(m_engine, String(kScene), String("scene.bs"), kParseCountLines);
  }
  void TearDown() override {
    if (m_engine.IsNil()) return;
    m_widgets.clear();
    m_element.Clear();
    m_engine.Clear();
    DLLDeInitialize(0);
  }
  ScriptObject* Find(const char* name) { return m_engine->GetNamespace()->FindObject(String(name)); }

  // A widget of size (w, h) placed at (x, y) from the parent's lower left corner, tinted by `tint`.
  ElementWidget* Place(Widget_I* parent, float x, float y, float w, float h, Vector4f tint) {
    ElementWidget* e = ElementWidget::Create();
    m_widgets.emplace_back(e);
    e->m_element = m_element.Get();
    e->m_layout.alignmentModeX = e->m_layout.alignmentModeY = kAlignMin;
    e->m_layout.position = {x, y, 0};
    e->m_layout.dimension = {w, h, 0};
    e->m_branchColor = tint;
    if (parent) e->SetParent(parent);
    return e;
  }

  void BuildTree(Widget_I* root, bool clippedChild);
  // Draws one frame and returns the screenshot.
  Obj<Image_I> Frame() {
    auto* pipe = static_cast<RenderPipe_I*>(Find("Pipe"));
    EXPECT_EQ(pipe->ApplyFormat(), 0);
    Ptr<RenderSystemTraverse_I> traverse(RenderSystemTraverse_I::Create());
    traverse->SetRenderPipe(pipe);
    traverse->SetChannel(0, Find("Channel0"));
    pipe->RequestScreenShot(false, false);
    traverse->Draw(0.0, 1.0 / 60, 0);
    traverse->Present(0);
    return Obj<Image_I>(pipe->GetScreenShotImage());
  }

  TempDir m_dir;
  Obj<ScriptEngine> m_engine;
  Obj<UIElement_I> m_element;
  std::vector<Obj<Widget_I>> m_widgets;
};

// The tree of the reference picture under `root`; `clippedChild` adds the child that its clipping parent cuts.
void WidgetScreenshotTest::BuildTree(Widget_I* root, bool clippedChild) {
  m_element = ElementWidget::CoveringElement();
  m_element->m_shaderArray.Append(Obj<RenderShader_I>(static_cast<RenderShader_I*>(Find("flat"))));
  // A pair in opposite corners: AlignMin from the lower left, AlignMax from the upper right.
  Place(root, 10, 10, 60, 40, {0.9f, 0.9f, 0.9f, 1});
  ElementWidget* high = Place(root, -10, -10, 60, 40, {0.6f, 0.6f, 0.6f, 1});
  high->m_layout.alignmentModeX = high->m_layout.alignmentModeY = kAlignMax;
  // A bar 80 % of the window wide, centred.
  ElementWidget* bar = Place(root, 0, 60, 0.8f, 12, {0.2f, 0.5f, 0.9f, 1});
  bar->m_layout.resizeModeX = kResizePercent;
  bar->m_layout.alignmentModeX = kAlignCenter;
  // A tinted branch: the child's colour is the product of both tints.
  ElementWidget* tinted = Place(root, 90, 90, 70, 60, {1, 0.4f, 0.4f, 1});
  Place(tinted, 20, 15, 30, 30, {0.5f, 1, 1, 1});
  // Priority 1, drawn after its later sibling although it comes first.
  Place(root, 180, 95, 50, 50, {0.3f, 1, 0.3f, 1})->m_drawPriority = 1;
  Place(root, 200, 110, 50, 50, {0.3f, 0.3f, 1, 1});
  // A clipping widget whose child reaches out beyond its right and top edges.
  ElementWidget* clipper = Place(root, 240, 20, 60, 40, {1, 1, 0.3f, 1});
  clipper->clipChildren = true;
  if (clippedChild) Place(clipper, 30, 20, 60, 40, {0.3f, 1, 1, 1});
  // A hidden widget draws nothing.
  Place(root, 20, 150, 40, 40, {1, 0.3f, 1, 1})->m_layout.visibility = 0;
  static_cast<TWindow_I*>(Find("ui"))->m_rootWidget = root;
}

TEST_F(WidgetScreenshotTest, TreeMatchesItsReference) {
  // The root spans the window and draws nothing itself.
  ElementWidget* root = Place(nullptr, 0, 0, 1, 1, {1, 1, 1, 1});
  root->m_layout.resizeModeX = root->m_layout.resizeModeY = kResizePercent;
  BuildTree(root, true);
  root->m_element.Clear();

  Obj<Image_I> shot = Frame();
  ASSERT_FALSE(shot.IsNil());
  ASSERT_EQ(shot->GetWidth(), 320);
  ASSERT_EQ(shot->GetHeight(), 240);
  ExpectMatchesReference(shot.Get(), std::string(PM_UI_REFERENCE_DIR) + "/widget_tree");
}

TEST_F(WidgetScreenshotTest, TransformedTreeMatchesItsReference) {
  // The same tree turned 30 degrees and scaled by 1.5 about the window's centre; clipping stays
  // axis-aligned, so the clipped child is left out.
  Obj<WTransform_I> turn(static_cast<WTransform_I*>(WTransform_I::Create()));
  m_widgets.emplace_back(turn.Get());
  turn->m_layout.dimension = {320, 240, 0};
  turn->SetRotation({0, 0, 30});
  turn->SetRotationPivot({160, 120, 0});
  turn->SetScaling({1.5f, 1.5f, 1});
  turn->SetScalingPivot({160, 120, 0});
  BuildTree(turn.Get(), false);
  Obj<Image_I> shot = Frame();
  ASSERT_FALSE(shot.IsNil());
  ExpectMatchesReference(shot.Get(), std::string(PM_UI_REFERENCE_DIR) + "/transform");
}

}  // namespace
}  // namespace PM::Test
