// Frames: border pieces of the tile path, the element path's anchors and colours, the client and title
// records, clipping, the highlight fade and the dialog's close button.
#include "FrameFixture.h"
#include "ui/TileCollection.h"
#include "ui/UIElement.h"
#include "ui/WDialog.h"
#include "ui/WEvent.h"

namespace PM::Test {
namespace {

class WFrameTest : public FrameTest {
 protected:
  // A tile-path style: overlaps 2, widths 8, `tiles` tile numbers from a tile collection.
  void TileStyle(int32_t tiles) {
    style->m_borderOverlapMin = style->m_borderOverlapMax = {2, 2, 0};
    style->m_borderWidthMin = style->m_borderWidthMax = {8, 8, 0};
    for (int32_t i = 0; i < tiles; ++i) style->m_tileSelectArray.Append(i);
    style->m_iconCollection = static_cast<TileCollection_I*>(MakeOf(TileCollection_I::kClassId, "tiles"));
  }
  // The four edges of three pieces drawn along one axis.
  static std::vector<float> Edges(const RecordedQuad& a, const RecordedQuad& b, const RecordedQuad& c, bool x) {
    if (x) return {a.left, b.left, c.left, c.right};
    return {a.bottom, b.bottom, c.bottom, c.top};
  }
};

TEST_F(WFrameTest, TilePathCutsNinePiecesFromTheBordersAndOverlaps) {
  struct Case {
    const char* what;
    float width;
    int32_t tiles;
    std::vector<float> x, y;
  } cases[] = {
      {"100 x 60", 100, 18, {-6, 2, 98, 106}, {-6, 2, 58, 66}},
      {"narrower than the overlaps", 3, 18, {-6.5f, 1.5f, 1.5f, 9.5f}, {-6, 2, 58, 66}},
      {"17 tiles draw no piece", 100, 17, {}, {}},
  };
  for (const Case& c : cases) {
    style->m_tileSelectArray.Clear();
    TileStyle(c.tiles);
    auto* f = MakeWidget<WFrame_I>("f", 0, 0, c.width, 60);
    f->m_widgetState = 1;
    Layout(f);
    engine.quads.clear();
    f->DrawSelf(&context, &engine);
    if (c.x.empty()) {
      EXPECT_TRUE(engine.quads.empty()) << c.what;
      continue;
    }
    ASSERT_EQ(engine.quads.size(), 9u) << c.what;
    const std::vector<RecordedQuad>& q = engine.quads;
    EXPECT_EQ(Edges(q[0], q[1], q[2], true), c.x) << c.what;
    EXPECT_EQ(Edges(q[0], q[3], q[6], false), c.y) << c.what;
    EXPECT_EQ(engine.quads[4].color, style->m_enableFrameColor) << c.what;
  }
}

TEST_F(WFrameTest, TilePathStillDrawsTitleAndChildrenAndRefusesBadTiles) {
  TileStyle(17);
  auto* f = MakeWidget<WFrame_I>("f");
  ElementWidget* title = Make("title");
  ElementWidget* child = Make("child", f);
  child->m_layout.dimension = title->m_layout.dimension = {10, 10, 0};
  f->SetTitleWidget(title);
  Layout(f);
  engine.quads.clear();
  f->DrawSelf(&context, &engine);
  EXPECT_EQ(engine.quads.size(), 2u);  // the title's and the child's, no border piece

  // Tile numbers past the collection's shaders draw with nil; a huge focus offset reads no tile.
  style->m_tileSelectArray.Append(1000);
  style->m_focusFrameTileOffset = 1 << 30;
  f->m_layout.combinedInputFlags = 1;
  engine.quads.clear();
  f->DrawSelf(&context, &engine);
  EXPECT_EQ(engine.quads.size(), 14u);  // four rows of three pieces, then the title and the child
}

TEST_F(WFrameTest, ElementPathAnchorsClientAndTitleRecords) {
  style->m_elementFrame = BorderElement({4, 4, 0}, {4, 12, 0}, 1);
  auto* f = MakeWidget<WFrame_I>("f");
  ElementWidget* title = Make("title");
  title->m_layout.visibility = 0;
  title->m_layout.dimension = {200, 5, 0};
  f->SetTitleWidget(title);
  f->m_layout.resizeModeX = kResizeMin;
  Layout(f);
  EXPECT_EQ(f->m_layout.minimumSize.x, 208.0f);  // the hidden title still counts, borders added
  f->m_layout.resizeModeX = kResizeExact;
  title->m_layout.visibility = 1;
  Layout(f);
  float x[6], y[6];
  ElementAnchors(100, 4, 4, x);
  ElementAnchors(60, 4, 12, y);
  EXPECT_EQ(std::vector<float>(x, x + 6), (std::vector<float>{0, 100, 4, 96, 50, 50}));
  EXPECT_EQ(std::vector<float>(y, y + 6), (std::vector<float>{0, 60, 4, 48, 30, 26}));
  const WidgetLayout& t = f->m_titleLayout;
  EXPECT_EQ(t.computedPosition, (Vector3f{4, 48, 0}));
  EXPECT_EQ(t.computedSize.x, 92.0f);
  EXPECT_EQ(t.computedSize.y, 12.0f);
  const WidgetLayout& c = f->m_clientLayout;
  EXPECT_EQ(c.computedPosition, (Vector3f{4, 4, 0}));
  EXPECT_EQ(c.computedSize, (Vector3f{92, 44, 0}));
  EXPECT_EQ(c.world.m[12], 4.0f);
}

TEST_F(WFrameTest, ClippingFrameOutsideItsParentSkipsItsChildren) {
  style->m_elementFrame = BorderElement({0, 0, 0}, {0, 0, 0}, 1);
  for (bool clip : {false, true}) {
    auto* f = MakeWidget<WFrame_I>("f", 400, 0);
    f->m_layout.clipChildren = clip;
    ElementWidget* child = Make("child", f);
    child->m_layout.dimension = {10, 10, 0};
    Layout(f);
    EXPECT_EQ(f->m_clientLayout.clipState, clip ? kClipEmpty : kClipped);
    engine.quads.clear();
    f->DrawSelf(&context, &engine);
    EXPECT_EQ(engine.quads.size(), clip ? 1u : 2u) << clip;
  }
}

TEST_F(WFrameTest, HighlightFadesAtTenPerSecond) {
  style->m_elementFrame = BorderElement({0, 0, 0}, {0, 0, 0}, 8);
  auto* f = MakeWidget<WFrame_I>("f");
  Layout(f);
  struct Step {
    double now;
    int32_t flags;
    float fade;
  } steps[] = {{1.0, 0, 0.0f}, {1.05, 1, 0.5f}, {1.10, 4, 1.0f}, {1.13, 0, 0.7f}};
  for (const Step& s : steps) {
    s_now = s.now;
    f->m_layout.ownInputFlags = s.flags;
    engine.quads.clear();
    f->DrawSelf(&context, &engine);
    EXPECT_NEAR(f->m_fade, s.fade, 1e-4) << s.now;
    // Slots 0 and 3 are lit, slot 1 with the fade, 4 for every frame; 2, 5, 6 and 7 are not.
    const size_t lit = 3 + (s.fade > 0 ? 1 : 0);
    EXPECT_EQ(engine.quads.size(), lit) << s.now;
  }
}

TEST_F(WFrameTest, DialogCloseButtonClicksOnlyOnReleaseOverIt) {
  style->m_elementFrame = BorderElement({0, 0, 0}, {0, 0, 0}, 1);
  UIElement_I* dialogElement = BorderElement({0, 0, 0}, {10, 10, 0}, 1);
  UIAtomStructure& close = dialogElement->m_atoms[0];
  close.anchorX0 = 3;  // the top right corner inside the borders' band
  close.anchorY0 = 3;
  close.hitId = 4;
  style->m_elementFrame->m_soundClick = "click";
  style->m_elementDialog = dialogElement;
  auto* d = MakeWidget<WDialog_I>("d");
  d->m_element = style->m_elementFrame.Get();
  Layout(d);
  Listen(d, {kWEventCloseButtonDown, kWEventMouseLeftDown, kWEventCloseButtonClicked, kWEventMouseLeftUp});
  struct Case {
    const char* what;
    Vector2f release;
    std::vector<uint32_t> events;
  } cases[] = {
      {"released over it",
       {95, 55},
       {kWEventCloseButtonDown, kWEventMouseLeftDown, kWEventCloseButtonClicked, kWEventMouseLeftUp}},
      {"released elsewhere", {20, 20}, {kWEventCloseButtonDown, kWEventMouseLeftDown, kWEventMouseLeftUp}},
  };
  for (const Case& c : cases) {
    events.clear();
    Array<String> sounds;
    m_window->TakeSounds(sounds);
    WidgetInput down = PointerAt(95, 55), up = PointerAt(c.release.x, c.release.y);
    d->SendEvent(kWEventMouseLeftDown, &down);
    EXPECT_EQ(d->m_closeFlags & 1, 1u) << c.what;
    EXPECT_EQ(m_window->GetCaptureWidget(), d) << c.what;
    d->SendEvent(kWEventMouseLeftUp, &up);
    std::vector<uint32_t> got;
    for (const auto& e : events) got.push_back(e.first);
    EXPECT_EQ(got, c.events) << c.what;
    EXPECT_EQ(d->m_closeFlags & 1, 0u) << c.what;
    EXPECT_NE(m_window->GetCaptureWidget(), d) << c.what;
    m_window->TakeSounds(sounds);
    EXPECT_EQ(sounds.Count(), 1) << c.what;
  }
  // A press outside the close atom is a plain press.
  events.clear();
  WidgetInput elsewhere = PointerAt(20, 20);
  d->SendEvent(kWEventMouseLeftDown, &elsewhere);
  ASSERT_EQ(events.size(), 1u);
  EXPECT_EQ(d->m_closeFlags, 0u);
  EXPECT_EQ(d->HitPart({1e12f, 55}), -1);  // beyond the integer range: nothing
}

TEST_F(WFrameTest, TitleAndLinksRefuseCycles) {
  auto* f = MakeWidget<WFrame_I>("f");
  auto* inner = MakeWidget<WFrame_I>("inner");
  inner->SetParent(f);
  TakeLog();
  inner->SetTitleWidget(f);
  f->SetTitleWidget(f);
  EXPECT_TRUE(inner->m_titleWidget.IsNil());
  EXPECT_TRUE(f->m_titleWidget.IsNil());
  EXPECT_EQ(TakeLog(),
            "Error WFrame::SetTitleWidget: \"f\" cannot be placed below itself or its descendant \"inner\".\n"
            "Error WFrame::SetTitleWidget: \"f\" cannot be placed below itself or its descendant \"f\".\n");
}

}  // namespace
}  // namespace PM::Test
