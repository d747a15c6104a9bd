// Drawing a window's tree: priority levels, branch colours, clipping, and the list of drawn widgets.
#include <sys/syscall.h>
#include <unistd.h>

#include "WidgetFixture.h"
#include "core/Trace.h"

namespace PM::Test {
namespace {

// A full-window root with children placed at distinct x positions so that each quad names its widget.
class WidgetDrawTest : public WidgetTest {
 protected:
  void SetUp() override {
    WidgetTest::SetUp();
    root = Make("root");
    root->m_layout.resizeModeX = root->m_layout.resizeModeY = kResizePercent;
    root->m_layout.dimension = {1, 1, 0};
    m_window->m_rootWidget = root;
  }
  ElementWidget* Child(const char* name, Widget_I* parent, float x) {
    ElementWidget* w = Make(name, parent);
    w->m_layout.alignmentModeX = w->m_layout.alignmentModeY = kAlignMin;
    w->m_layout.position = {x, 0, 0};
    w->m_layout.dimension = {10, 10, 0};
    return w;
  }
  // The x positions of the quads in drawing order, relative to the window's left edge.
  std::vector<float> Order() {
    std::vector<float> xs;
    for (const DrawnQuad& q : DrawWindow()) xs.push_back(q.x + 160);
    return xs;
  }
  ElementWidget* root = nullptr;
};

TEST_F(WidgetDrawTest, BranchesAreDrawnByAscendingPriority) {
  struct Case {
    const char* what;
    int32_t rootPriority, aPriority, a1Priority, bPriority;
    std::vector<float> order;
    const char* drawn;
  } cases[] = {
      {"tree order", 0, 0, 0, 0, {0, 10, 11, 20}, "root"},
      {"a priority-1 widget over its later sibling", 0, 1, 0, 0, {0, 20, 10, 11}, "root a"},
      {"a child at or below the level is drawn in its parent's branch", 2, 1, 0, 0, {0, 10, 11, 20}, "root"},
      {"a child above the level waits for its own", 0, 0, 5, 0, {0, 10, 20, 11}, "root a1"},
      {"levels in order, whatever the tree order", 0, 3, 2, 1, {0, 20, 10, 11}, "root b a"},
  };
  ElementWidget *a = Child("a", root, 10), *a1 = Child("a1", a, 1), *b = Child("b", root, 20);
  for (const Case& c : cases) {
    root->m_drawPriority = c.rootPriority;
    a->m_drawPriority = c.aPriority;
    a1->m_drawPriority = c.a1Priority;
    b->m_drawPriority = c.bPriority;
    EXPECT_EQ(Order(), c.order) << c.what;
    EXPECT_EQ(DrawnNames(), c.drawn) << c.what;
  }
}

TEST_F(WidgetDrawTest, BranchColoursMultiplyAndResetAtEachLevel) {
  ElementWidget *tinted = Child("tinted", root, 10), *inner = Child("inner", tinted, 1);
  ElementWidget* later = Child("later", tinted, 2);
  ElementWidget* after = Child("after", root, 20);
  tinted->m_branchColor = {0.5f, 1, 1, 1};
  inner->m_branchColor = {1, 0.5f, 1, 1};
  later->m_drawPriority = 1;
  const std::vector<DrawnQuad> quads = DrawWindow();
  ASSERT_EQ(quads.size(), 5u);
  const Vector4f expected[] = {{1, 1, 1, 1}, {0.5f, 1, 1, 1}, {0.5f, 0.5f, 1, 1}, {1, 1, 1, 1}, {1, 1, 1, 1}};
  for (size_t i = 0; i < quads.size(); ++i) EXPECT_EQ(quads[i].color, expected[i]) << i;
  EXPECT_EQ(quads[3].x + 160, 20.0f);  // "after", then the deferred "later" in white
  EXPECT_EQ(quads[4].x + 160, 12.0f);
  (void)after;
}

TEST_F(WidgetDrawTest, ClippedChildrenAreCutOrSkipped) {
  ElementWidget* box = Child("box", root, 10);
  box->clipChildren = true;
  ElementWidget* inside = Child("inside", box, 5);
  inside->m_layout.dimension = {20, 5, 0};
  // Right of the box: drawn under the box's clip, and its own child is left no area at all.
  ElementWidget* outside = Child("outside", box, 30);
  outside->clipChildren = true;
  ElementWidget* gone = Child("gone", outside, 0);
  std::vector<DrawnQuad> quads = DrawWindow();
  ASSERT_EQ(quads.size(), 4u);    // root, box, inside, outside
  EXPECT_FALSE(quads[1].clipOn);  // the window's own clip has state 0
  EXPECT_TRUE(quads[2].clipOn);
  EXPECT_EQ(quads[2].clip[0], -150.0f);
  EXPECT_EQ(quads[2].clip[1], -140.0f);  // the box is 10 wide
  EXPECT_EQ(quads[3].x + 160, 40.0f);
  EXPECT_EQ(gone->m_layout.clipState, -1);
  for (float bound : gone->m_layout.clipRect) EXPECT_EQ(bound, -65536.0f);
}

TEST_F(WidgetDrawTest, FrameLeavesItsSectionsOnTheTrace) {
  Child("a", root, 0)->m_name = "named";
  DrawWindow();
  const int64_t tid = int64_t(syscall(SYS_gettid));
  const TraceSlot* slot = nullptr;
  for (int i = 0; i < kTraceSlots; ++i)
    if (TraceSlots()[i].thread.load() == tid) slot = &TraceSlots()[i];
  ASSERT_NE(slot, nullptr);
  auto entry = [&](int back) { return slot->ring[(slot->next - back) % kTraceRingLength]; };
  const struct {
    char kind;
    const char* label;
  } expected[] = {{'>', "TWindow::Draw"},
                  {'-', "TWindow::Draw CalcDimMin"},
                  {'-', "TWindow::Draw CommitDynamicLayout"},
                  {'>', "TWindow::Draw DrawTraverse"},
                  {'<', "TWindow::Draw DrawTraverse"},
                  {'<', "TWindow::Draw"}};
  for (int i = 0; i < 6; ++i) {
    EXPECT_EQ(entry(6 - i).kind, expected[i].kind) << i;
    EXPECT_STREQ(entry(6 - i).label, expected[i].label) << i;
  }
  // The last widget drawn names itself for a crash report.
  EXPECT_STREQ(static_cast<const char*>(GetTraceGlobal2()), "named");
}

TEST_F(WidgetDrawTest, NothingWithoutARoot) {
  m_window->m_rootWidget.Clear();
  EXPECT_TRUE(DrawWindow().empty());
  EXPECT_TRUE(engine.calls.empty());
}

}  // namespace
}  // namespace PM::Test
