// Tab frames: the tab array's parent links and refusals, tabs outliving the frame, the page drawn and
// given input, and the border and tab tiles.
#include <algorithm>

#include "FrameFixture.h"
#include "render/TileTexture2D.h"
#include "ui/WButton.h"
#include "ui/WTabFrame.h"

namespace PM::Test {
namespace {

class WTabFrameTest : public FrameTest {
 protected:
  WTabFrame_I* Tabs(int32_t tabs, int32_t pages) {
    auto* t = MakeWidget<WTabFrame_I>("t", 0, 0, 200, 100);
    for (int32_t i = 0; i < tabs; ++i) t->SetTab(i, Make("tab"));
    for (int32_t i = 0; i < pages; ++i) Make("page", t);
    return t;
  }
};

TEST_F(WTabFrameTest, TabArrayKeepsParentLinksInStep) {
  WTabFrame_I* t = Tabs(2, 0);
  Widget_I *a = t->GetTab(0), *b = t->GetTab(1);
  EXPECT_EQ(a->GetParent(), t);
  t->SetTab(0, a);  // itself: nothing changes
  EXPECT_EQ(a->GetParent(), t);
  Widget_I* c = Make("c");
  t->SetTab(0, c);
  EXPECT_TRUE(IsNilObject(a->GetParent()));
  EXPECT_EQ(c->GetParent(), t);
  // Writing a tab's Parent takes it out of the tab array.
  c->SetParent(nullptr);
  EXPECT_TRUE(IsNilObject(t->GetTab(0)));
  EXPECT_EQ(t->GetTab(1), b);
  // The frame itself and its ancestors are refused.
  auto* outer = MakeWidget<WTabFrame_I>("outer");
  t->SetParent(outer);
  TakeLog();
  t->SetTab(2, t);
  t->SetTab(2, outer);
  EXPECT_EQ(t->TabCount(), 2);
  EXPECT_NE(TakeLog().find("cannot be placed below itself"), std::string::npos);
  // Removing more tabs than exist detaches every removed one.
  t->SetTab(0, a);
  t->RemoveTabs(0, 5);
  EXPECT_EQ(t->TabCount(), 0);
  EXPECT_TRUE(IsNilObject(a->GetParent()));
  EXPECT_TRUE(IsNilObject(b->GetParent()));
}

TEST_F(WTabFrameTest, ATabHeldElsewhereOutlivesItsFrame) {
  Obj<Widget_I> kept;
  {
    Obj<WTabFrame_I> t(static_cast<WTabFrame_I*>(ScriptObject::Create(WTabFrame_I::kClassId)));
    kept = ElementWidget::Create();
    t->SetTab(0, kept.Get());
    EXPECT_EQ(kept->GetParent(), t.Get());
  }
  EXPECT_TRUE(IsNilObject(kept->GetParent()));
}

TEST_F(WTabFrameTest, OnlyTheSelectedPageIsDrawnAndTakesInput) {
  WTabFrame_I* t = Tabs(3, 2);
  struct Case {
    int32_t select;
    int32_t page;  // -1: none
  } cases[] = {{-1, -1}, {0, 0}, {1, 1}, {2, -1}, {7, -1}, {-5, -1}};
  for (const Case& c : cases) {
    t->m_tabSelect = c.select;
    EXPECT_EQ(t->SelectedPage(), c.page < 0 ? nullptr : t->GetChild(c.page)) << c.select;
    for (int32_t i = 0; i < 2; ++i) EXPECT_EQ(t->ChildTakesInput(i), i == c.page) << c.select;
  }
  // Layout places tabs and pages alike, hidden pages included.
  t->m_tabSelect = 1;
  t->GetTab(2)->m_layout.dimension = {30, 10, 0};
  Layout(t);
  EXPECT_EQ(t->GetChild(0)->m_layout.computedSize.x, t->GetChild(1)->m_layout.computedSize.x);
  EXPECT_GT(t->GetTab(2)->m_layout.computedSize.x, 0.0f);
}

TEST_F(WTabFrameTest, BorderAndTabTilesNeedMoreThanSeventeenEntries) {
  auto* texture = static_cast<TileTexture2D_I*>(MakeOf(TileTexture2D_I::kClassId, "tiles"));
  for (int32_t i = 0; i < 24 * 4; ++i) texture->m_tileTexCoordArray.Append(Vector2f{float(i / 4), 0});
  style->m_widgetShader = ShaderOver(texture);
  style->m_borderWidthMin = style->m_borderWidthMax = {4, 4, 0};
  style->m_inactiveTabTileOffset = 8;
  style->m_activeTabTileOffset = 11;
  WTabFrame_I* t = Tabs(2, 2);
  t->GetTab(1)->m_layout.position = {50, 80, 0};
  t->GetTab(1)->m_layout.dimension = {40, 20, 0};
  t->m_tabSelect = 1;
  size_t without = 0;
  for (int32_t entries : {17, 18}) {
    style->m_tileSelectArray.Clear();
    for (int32_t i = 0; i < entries; ++i) style->m_tileSelectArray.Append(i == 6 ? -1 : i);
    Layout(t);
    engine.quads.clear();
    t->DrawSelf(&context, &engine);
    if (entries == 17) {  // the tabs and the page only
      without = engine.quads.size();
      continue;
    }
    // Seven border pieces (tile 6 negative: the whole texture), then per tab the joint and three tiles.
    ASSERT_EQ(engine.quads.size(), without + 7 + 2 * 4);
    std::vector<float> tiles;
    for (const RecordedQuad& q : engine.quads) tiles.push_back(q.texCoords[0]);
    const std::vector<float> border(tiles.begin(), tiles.begin() + 7);
    EXPECT_EQ(border, (std::vector<float>{0, 1, 2, 3, 4, 5, 0}));
    const std::vector<float> second(tiles.begin() + 11, tiles.begin() + 15);
    EXPECT_EQ(second, (std::vector<float>{7, 11, 12, 13}));  // the selected tab: the active offset
    EXPECT_EQ(engine.quads[11].left, 50.0f);
    EXPECT_EQ(engine.quads[11].right, 90.0f);
  }
}

}  // namespace
}  // namespace PM::Test
