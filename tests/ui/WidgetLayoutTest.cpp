// The two layout passes: minimum sizes, sizes and positions by mode, the window's record, clipping.
#include <cmath>

#include "WidgetFixture.h"
#include "core/Log.h"
#include "ui/WPopup.h"
#include "ui/WidgetStyle.h"

namespace PM::Test {
namespace {

// One axis of one widget: modes, Dimension and Position, the children's requirement and the parent's
// size, with the minimum, outer minimum, size and position the passes give.
struct AxisCase {
  const char* what;
  uint32_t resize, align;
  float dimension, position, needed, parentSize;
  float minimum, outer, size, at;
};

const AxisCase kAxisCases[] = {
    {"exact floors", kResizeExact, kAlignCenter, 10.7f, 0, 30, 100, 10, 10, 0, 45},
    {"min takes the larger", kResizeMin, kAlignCenter, 10, 0, 30.5f, 100, 30, 30, 30, 35},
    {"percent has no minimum", kResizePercent, kAlignCenter, 0.5f, 0, 30, 300, 0, 0, 150, 75},
    {"min-percent keeps the need unrounded", kResizeMinPercent, kAlignMin, 0.5f, 0, 0.5f, 300, 0.5f, 0.5f, 150, 0},
    {"max takes the smaller", kResizeMax, kAlignCenter, 100, 0, 120, 300, 100, 100, 100, 100},
    {"unknown resize mode", 0x12345678, kAlignCenter, 40, 0, 30, 100, 0, 0, 0, 50},
    {"align max", kResizeExact, kAlignMax, 50, 10, 0, 200, 50, 40, 0, 160},
    {"align min with a negative position", kResizeExact, kAlignMin, 50, -70, 0, 200, 50, 0, 0, -70},
    {"align min adds the position", kResizeExact, kAlignMin, 50, 12.5f, 0, 200, 50, 62, 0, 12},
    {"centre adds twice the distance", kResizeExact, kAlignCenter, 50, -7.5f, 0, 200, 50, 64, 0, 67},
    {"block places at the position", kResizeExact, kAlignBlock, 50, 3, 0, 200, 50, 56, 0, 3},
};

TEST(WidgetLayoutAxes, MinimumSizeAndPositionByMode) {
  for (const AxisCase& c : kAxisCases) {
    WidgetLayout l, parent;
    l.resizeModeX = c.resize;
    l.alignmentModeX = c.align;
    l.dimension.x = c.dimension;
    l.position.x = c.position;
    l.ComputeMinimum({c.needed, 0, 7});
    EXPECT_EQ(l.minimumSize.x, c.minimum) << c.what;
    EXPECT_EQ(l.outerMinimum.x, c.outer) << c.what;
    EXPECT_EQ(l.minimumSize.z, 0.0f) << c.what;
    parent.computedSize = {c.parentSize, 0, 0};
    l.computedSize = l.minimumSize;
    l.ApplyParent(parent);
    const float size = c.resize == kResizeExact || c.resize == 0x12345678 ? c.minimum : c.size;
    EXPECT_EQ(l.computedSize.x, size) << c.what;
    EXPECT_EQ(l.computedPosition.x, c.at) << c.what;
  }
}

// Clip rectangles: (parent state, parent rectangle, the rectangle clipped to) gives (state, rectangle).
TEST(WidgetLayoutAxes, ClipToIntersectsOrEmpties) {
  struct Case {
    int32_t parentState;
    float parent[4], rect[4];
    int32_t state;
    float out[4];
  } cases[] = {
      {0, {0, 100, 0, 50}, {10, 200, -5, 40}, 1, {10, 100, 0, 40}},
      {1, {0, 100, 0, 50}, {10, 20, 30, 40}, 1, {10, 20, 30, 40}},
      {-1, {0, 100, 0, 50}, {10, 20, 30, 40}, -1, {-65536, -65536, -65536, -65536}},
      {1, {0, 100, 0, 50}, {100, 120, 0, 50}, -1, {-65536, -65536, -65536, -65536}},
      {0, {0, 100, 0, 50}, {10, 20, 50, 50}, -1, {-65536, -65536, -65536, -65536}},
      {2, {0, 100, 0, 50}, {10, 20, 30, 40}, 0, {0, 0, 0, 0}},  // an unknown state changes nothing
  };
  for (const Case& c : cases) {
    WidgetLayout parent, l;
    parent.clipState = c.parentState;
    std::copy(c.parent, c.parent + 4, parent.clipRect);
    l.ClipTo(parent, c.rect[0], c.rect[1], c.rect[2], c.rect[3]);
    EXPECT_EQ(l.clipState, c.state);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(l.clipRect[i], c.out[i]) << c.parentState << " " << i;
  }
}

TEST(WidgetLayoutAxes, InverseIsRecomputedOnlyWhenStale) {
  WidgetLayout l;
  l.computedPosition = {5, 6, 0};
  l.PlaceIn(kIdentityMatrix4f);
  EXPECT_EQ(l.inverseValid, 0);
  l.UpdateInverse();
  EXPECT_EQ(l.inverseWorld.m[12], -5.0f);
  EXPECT_EQ(l.inverseWorld.m[13], -6.0f);
  l.world.m[12] = 100;  // changed without clearing the flag: the inverse stays
  l.UpdateInverse();
  EXPECT_EQ(l.inverseWorld.m[12], -5.0f);
}

TEST_F(WidgetTest, MaxSizeIsRaisedToTheDimensionFirst) {
  ElementWidget *w = Make("w"), *child = Make("child", w);
  w->m_layout.resizeModeX = w->m_layout.resizeModeY = kResizeMax;
  w->m_layout.dimension = {100, 40, 0};
  child->m_layout.dimension = {120, 30, 0};
  const WidgetLayout* l = w->CalcDimMin();
  EXPECT_EQ(l->minimumSize.x, 100.0f);
  EXPECT_EQ(l->minimumSize.y, 40.0f);
}

TEST_F(WidgetTest, PopupMinimumAddsTheBorderOfItsElement) {
  auto* style = static_cast<WidgetStyle_I*>(MakeOf(ClassId::WidgetStyle));
  auto* element = static_cast<UIElement_I*>(MakeOf(ClassId::UIElement));
  element->m_borderMin = {2, 3, 1};
  element->m_borderMax = {4.5f, 5, 1};
  style->m_elementPopup = element;
  auto* popup = static_cast<WPopup_I*>(MakeOf(ClassId::WPopup));
  Make("item", popup)->m_layout.dimension = {20, 10, 0};
  EXPECT_EQ(popup->CalcDimMin()->minimumSize.x, 20.0f);  // no style: no border
  popup->m_style = style;
  const WidgetLayout* l = popup->CalcDimMin();
  EXPECT_EQ(l->minimumSize.x, 26.0f);  // ResizeMin floors 26.5
  EXPECT_EQ(l->minimumSize.y, 18.0f);
}

TEST_F(WidgetTest, WindowSpansItsVirtualResolution) {
  ElementWidget* root = Make("root");
  root->m_layout.resizeModeX = root->m_layout.resizeModeY = kResizePercent;
  root->m_layout.dimension = {1, 1, 0};
  root->m_layout.alignmentModeX = root->m_layout.alignmentModeY = kAlignMin;
  m_window->m_rootWidget = root;
  Matrix4f base = kIdentityMatrix4f;
  base.m[0] = 2;
  base.m[5] = 3;
  base.m[12] = 7;
  struct Case {
    Vector3f resolution;
    float x0, y0;
  } cases[] = {{{2048, 1536, 0}, -1024, -768}, {{2048, 1536, 512}, -1024, -768}, {{801, 600, 0}, -401, -300}};
  for (const Case& c : cases) {
    engine.modelView = base;
    m_window->m_virtualResolution = c.resolution;
    DrawWindow();
    EXPECT_EQ(root->m_layout.computedSize.x, c.resolution.x);
    EXPECT_EQ(root->m_layout.computedSize.y, c.resolution.y);
    // world = translation(x0, y0) * the engine's model-view
    EXPECT_EQ(root->m_layout.world.m[12], 2 * c.x0 + 7);
    EXPECT_EQ(root->m_layout.world.m[13], 3 * c.y0);
    EXPECT_EQ(root->m_layout.world.m[0], 2.0f);
    // The window's clip, one unit outside the screen, with state 0.
    EXPECT_EQ(root->m_layout.clipState, 0);
    EXPECT_EQ(root->m_layout.clipRect[0], c.x0 - 1);
    EXPECT_EQ(root->m_layout.clipRect[1], c.x0 + c.resolution.x + 1);
    // The engine's matrix is back after the frame; the window's was loaded first.
    std::vector<RecordedCall> mv = engine.CallsOf("modelview");
    ASSERT_GE(mv.size(), 2u);
    EXPECT_EQ(mv.front().matrix.m[12], 2 * c.x0 + 7);
    EXPECT_EQ(mv.back().matrix.m[12], 7.0f);
    EXPECT_EQ(engine.modelView.m[12], 7.0f);
  }
}

TEST_F(WidgetTest, HiddenWidgetsKeepTheirLayout) {
  ElementWidget *root = Make("root"), *child = Make("child", root);
  root->m_layout.resizeModeX = root->m_layout.resizeModeY = kResizePercent;
  root->m_layout.dimension = {1, 1, 0};
  child->m_layout.dimension = {40, 20, 0};
  m_window->m_rootWidget = root;
  DrawWindow();
  EXPECT_EQ(child->m_layout.computedPosition.x, 140.0f);
  child->m_layout.visibility = 0;
  child->m_layout.dimension = {60, 20, 0};
  EXPECT_EQ(DrawWindow().size(), 1u);  // the root alone
  EXPECT_EQ(child->m_layout.computedPosition.x, 140.0f);
  EXPECT_EQ(child->m_layout.computedSize.x, 40.0f);
  child->m_layout.visibility = 1;
  DrawWindow();
  EXPECT_EQ(child->m_layout.computedPosition.x, 130.0f);
}

}  // namespace
}  // namespace PM::Test
