// Long lists in a scroll frame: the rows out of view that drawing and the input pass leave out, and every
// change after a layout that brings such a row back (scrolling, rows added, removed or reordered, a sub
// menu, a draw priority, an effect, the modal flag, a key, a capture) against a walk over every row; the
// children's minimum kept between passes against one computed over every row, after every kind of edit
// of a row's minimum.
#include <cmath>
#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

#include "FrameFixture.h"
#include "script/object/MemberAccess.h"
#include "ui/OutOfViewIndex.h"
#include "ui/UIElement.h"
#include "ui/WEffect.h"
#include "ui/WEvent.h"
#include "ui/WListItem.h"
#include "ui/WPopup.h"
#include "ui/WScrollFrame.h"

namespace PM::Test {
namespace {

constexpr int kRows = 200;
constexpr float kRow = 22.0f;

class LongListTest : public FrameTest {
 public:
  void SetUp() override {
    FrameTest::SetUp();
    auto* e = static_cast<UIElement_I*>(MakeOf(UIElement_I::kClassId, "bars"));
    UIAtomStructure a{};
    a.texRight = a.texEdgeB = 64;
    a.anchorX1 = a.anchorY1 = 1;
    e->m_atoms.Append(a);
    e->m_arrowDim = e->m_barDim = {16, 16, 0};
    style->m_elementScroll = style->m_elementListItem = e;
    style->m_fontStyle = DejaVu();
    frame = MakeWidget<WScrollFrame_I>("frame", 0, 0, 200, 300);
    content = MakeWidget<WFrame_I>("content", 0, 0, 180, kRow * kRows);
    content->m_layout.alignmentModeY = kAlignMax;
    content->SetParent(frame);
    for (int i = 0; i < kRows; ++i) rows.push_back(Row(i));
  }
  WListItem_I* Row(int i) {
    auto* row = MakeWidget<WListItem_I>(("row" + std::to_string(i)).c_str(), 0, kRow * float(i), 1, kRow);
    row->SetLabel(("Item " + std::to_string(i)).c_str());
    row->SetParent(content);
    return row;
  }
  void ScrollTo(float y) {
    content->m_layout.position.y = y;
    Layout(frame);
  }
  // What the frame draws: each quad with the translation it was drawn at, each glyph draw, and the
  // widgets deferred to a higher level.
  std::vector<std::string> Picture() {
    engine.quads.clear();
    engine.draws.clear();
    engine.calls.clear();
    WidgetDrawContext c;
    frame->Draw(&c, &engine);
    std::vector<std::string> out;
    for (const RecordedQuad& q : engine.quads) {
      float x = 0, y = 0;
      for (size_t k = 0; k < q.callsBefore; ++k)
        if (engine.calls[k].op == "modelview") x = engine.calls[k].matrix.m[12], y = engine.calls[k].matrix.m[13];
      out.push_back("quad " + std::to_string(x + q.left) + " " + std::to_string(y + q.bottom) + " " +
                    std::to_string(q.right - q.left) + " " + std::to_string(q.top - q.bottom));
    }
    for (const RecordedDraw& d : engine.draws)
      out.push_back("draw " + std::to_string(d.positions.size()) + " " + std::to_string(d.positions[0].y));
    for (const Obj<Widget_I>& w : c.deferred) out.push_back("deferred " + std::string(w->m_name.CStr()));
    return out;
  }
  // The same with every row visited, as a list without an index draws.
  std::vector<std::string> FullPicture() {
    OutOfViewIndex::NoteEdit();
    return Picture();
  }
  // Runs the input pass over the frame with `in` (pointer at (50, 50) unless set) and returns the hover.
  std::string Input(WidgetInput in, WidgetDrawContext* c = nullptr) {
    WidgetDrawContext local;
    in.hoverPending = 1;
    frame->TraverseInput(c ? c : &local, &in);
    return in.hoverWidget.IsNil() ? "" : in.hoverWidget->m_name.CStr();
  }
  // What the last layout gave every row, read through GetLayoutData (which brings a row that the layout
  // passed over up to date).
  std::vector<float> Records() {
    std::vector<float> out;
    for (int32_t i = 0; i < content->ChildCount(); ++i) {
      const WidgetLayout& l = *content->GetChild(i)->GetLayoutData();
      out.insert(out.end(), {l.world.m[12], l.world.m[13], l.computedSize.x, l.computedSize.y, l.computedPosition.x,
                             l.computedPosition.y, l.minimumSize.x, l.minimumSize.y, float(l.clipState),
                             float(l.combinedInputFlags)});
      out.insert(out.end(), l.clipRect, l.clipRect + 4);
    }
    return out;
  }
  // The same after a layout that visits every row.
  std::vector<float> FullRecords() {
    OutOfViewIndex::NoteEdit();
    Layout(frame);
    return Records();
  }
  // The rows the index keeps for drawing and input.
  std::vector<int> Kept() {
    std::vector<int> out;
    const OutOfViewIndex* index = content->m_outOfView.get();
    if (!index || !index->Usable(content->ChildCount(), 0)) return out;
    for (int i = index->KeptFrom(0); i < content->ChildCount(); i = index->KeptFrom(i + 1)) out.push_back(i);
    return out;
  }

  WScrollFrame_I* frame = nullptr;
  WFrame_I* content = nullptr;
  std::vector<WListItem_I*> rows;
};

// The row under (50, 200) with the list scrolled by `y`: the client area starts 16 units up, above the
// bar, and the content's top meets the client's top when y is 0.
std::string RowAt200(float y) { return "row" + std::to_string(int((184.0f + kRow * kRows - 284.0f - y) / kRow)); }

// Only the rows in view and the one beside each edge are visited; what is drawn and hovered matches a
// walk over every row wherever the list is scrolled, also after a wheel step without a new layout.
TEST_F(LongListTest, ScrolledListsDrawAndHoverTheRowsInView) {
  for (float y : {0.0f, 1000.0f, 1011.0f, 4116.0f, 0.0f}) {
    Input(PointerAt(310, 230));  // beside the list: no row keeps a hover, which would keep it visited
    ScrollTo(y);
    const std::vector<int> kept = Kept();
    ASSERT_FALSE(kept.empty()) << y;
    EXPECT_LE(kept.size(), 16u) << y;
    EXPECT_EQ(kept.back() - kept.front() + 1, int(kept.size())) << y;
    EXPECT_EQ(Input(PointerAt(50, 200)), RowAt200(y)) << y;
    const int hovered = std::stoi(RowAt200(y).substr(3));
    EXPECT_TRUE(hovered >= kept.front() && hovered <= kept.back()) << y;
    const std::vector<std::string> drawn = Picture();
    EXPECT_EQ(drawn, FullPicture()) << y;
  }
  // The wheel moves the content; until the next layout the rows keep their places.
  ScrollTo(0);
  WidgetInput wheel = PointerAt(50, 200);
  wheel.wheel = -1.0f;
  EXPECT_EQ(Input(wheel), RowAt200(0));
  EXPECT_EQ(content->m_layout.position.y, 32.0f);
  const std::vector<std::string> unmoved = Picture();
  EXPECT_EQ(unmoved, FullPicture());
  Layout(frame);
  EXPECT_EQ(Input(PointerAt(50, 200)), RowAt200(32));
  const std::vector<std::string> moved = Picture();
  EXPECT_EQ(moved, FullPicture());
  EXPECT_NE(moved, unmoved);
}

// Rows added, removed or reordered after the layout are drawn as a walk over every row draws them.
TEST_F(LongListTest, RowsAddedRemovedOrReorderedAfterTheLayoutAreSeen) {
  ScrollTo(1000);
  const std::vector<std::string> before = Picture();
  // A row not laid out yet, where row 10 (out of view) was: drawn where its new record puts it.
  auto* fresh = MakeWidget<WListItem_I>("fresh", 0, 0, 1, kRow);
  fresh->SetLabel("Fresh");
  content->SetChild(10, fresh);
  const std::vector<std::string> drawn = Picture();
  EXPECT_EQ(drawn, FullPicture());
  EXPECT_NE(drawn, before);
  rows[20]->m_childPriority = -1;
  struct Edit {
    const char* what;
    std::function<void()> apply;
  } edits[] = {
      {"row added", [&] { Row(kRows)->m_layout.position.y = 1100; }},
      {"rows removed", [&] { content->RemoveChildren(0, 5); }},
      {"row taken out", [&] { rows[30]->SetParent(nullptr); }},
      {"sorted", [&] { content->SortChildren(); }},
      {"row put back", [&] { content->SetChild(0, rows[30]); }},
  };
  for (const Edit& edit : edits) {
    Layout(frame);
    edit.apply();
    const std::vector<std::string> after = Picture();
    EXPECT_EQ(after, FullPicture()) << edit.what;
  }
  // Short again: no index is kept.
  content->RemoveChildren(0, -1);
  for (int i = 0; i < 10; ++i) Row(i);
  Layout(frame);
  EXPECT_EQ(content->m_outOfView, nullptr);
}

// A row out of view that gains a sub menu, a higher draw priority or a title widget after the layout
// draws (or is deferred) as it would in a walk over every row.
TEST_F(LongListTest, RowsOutOfViewThatGainSomethingToDrawAreDrawn) {
  ScrollTo(0);
  auto* popup = MakeWidget<WPopup_I>("popup", 0, 0, 50, 50);
  popup->m_drawPriority = 1;
  rows[150]->SetSubMenu(popup);
  EXPECT_EQ(Picture().back(), "deferred popup");
  Layout(frame);
  EXPECT_EQ(Picture().back(), "deferred popup");
  rows[150]->SetSubMenu(nullptr);
  Layout(frame);
  MemberSet<VI32>(rows[160], 0x12FFF0D8, 2);  // DrawPriority
  EXPECT_EQ(Picture().back(), "deferred row160");
  MemberSet<VI32>(rows[160], 0x12FFF0D8, 0);
  Layout(frame);
  const std::vector<std::string> drawn = Picture();
  EXPECT_EQ(drawn, FullPicture());
}

// The input pass visits a row out of view that has been given an effect or the modal flag after the
// layout, every row when a key is pressed, and a row out of view that holds the capture.
TEST_F(LongListTest, RowsOutOfViewTakeKeysCapturesEffectsAndTheModalFlag) {
  ScrollTo(2000);
  const std::string hovered = RowAt200(2000);
  auto* fx = static_cast<WEffect_I*>(MakeOf(ClassId::WEffect, "fx"));
  rows[50]->SetEffect(0, fx);
  WidgetDrawContext c;
  EXPECT_EQ(Input(PointerAt(50, 200), &c), hovered);
  ASSERT_EQ(c.effects.Count(), 1);
  EXPECT_EQ(c.effectOwners[0].Get(), rows[50]);
  MemberRemove(rows[50], 0x18FFF0D8, 0, 1);  // EffectArray
  Layout(frame);

  // Rows are visited from the last: a modal row above the view blocks the rows in view.
  MemberSet<VBool>(rows[150], 0x1AFFF0D8, true);  // Modal
  EXPECT_EQ(Input(PointerAt(50, 200)), "");
  MemberSet<VBool>(rows[150], 0x1AFFF0D8, false);
  Layout(frame);
  EXPECT_EQ(Input(PointerAt(50, 200)), hovered);

  Listen(rows[140], {kWEventKeyDown});
  WidgetInput key = PointerAt(50, 200);
  key.character = 'a';
  Input(key);
  ASSERT_EQ(events.size(), 1u);
  EXPECT_EQ(events[0].second, "row140");

  WidgetInput captured = PointerAt(50, 200);
  captured.captureWidget = rows[170];
  EXPECT_EQ(Input(captured), "row170");
  EXPECT_EQ(rows[170]->m_layout.ownInputFlags, 1);
  // Hovered once, the row is visited until an input pass clears its hover.
  Layout(frame);
  EXPECT_EQ(Input(PointerAt(50, 200)), hovered);
  EXPECT_EQ(rows[170]->m_layout.ownInputFlags, 0);
}

// A layout that passes over the rows staying out of view leaves every row as one that visits them all,
// through scrolls of a unit, a row or a page and edits of rows out of view in between; a row passed over
// takes the pointer where it now lies, and a row hidden while passed over keeps the layout it had.
TEST_F(LongListTest, RowsPassedOverByTheLayoutReadAsLaidOut) {
  ScrollTo(0);
  ScrollTo(1);
  const float stale = rows[0]->m_layout.world.m[13];
  EXPECT_NE(rows[0]->GetLayoutData()->world.m[13], stale);  // the layout did pass row 0 over
  struct Step {
    float y;
    std::function<void()> edit;
  } steps[] = {
      {10, nullptr},
      {32,
       [&] {
         MemberSet<VVector3f>(rows[5], 0x07FFF0D8, Vector3f{1, 40, 0});
       }},
      {54, nullptr},
      {500, [&] { rows[6]->SendEvent(kWEventHideWidget, nullptr); }},
      {510, [&] { rows[6]->SendEvent(kWEventShowWidget, nullptr); }},
      {4116, nullptr},
      {4000, [&] { rows[199]->SetLabel("A label longer than every other one"); }},
      {0, nullptr},
      {2, [&] { style->m_elementListItem->m_borderMin.y = 10; }},  // taller rows
  };
  for (const Step& step : steps) {
    if (step.edit) step.edit();
    for (float y : {step.y, step.y + 1.0f}) {
      ScrollTo(y);
      const std::vector<std::string> drawn = Picture();
      const std::vector<float> records = Records();
      EXPECT_EQ(records, FullRecords()) << y;
      EXPECT_EQ(drawn, Picture()) << y;
    }
  }
  // The pointer where row 0 lies now (a unit up from where the layout before put it, below the view) is
  // inside it.
  ScrollTo(2);
  const float x = rows[0]->GetLayoutData()->world.m[12], y = rows[0]->GetLayoutData()->world.m[13];
  ScrollTo(3);
  const WidgetInput in = PointerAt(x + 5, y + 1 + 5);
  const Vector2f p = rows[0]->PointerIn(&in);
  EXPECT_EQ(p.x, 5.0f);
  EXPECT_EQ(p.y, 5.0f);
  // Taken out of the list while passed over, row 2 keeps the place the last layout gave it.
  ScrollTo(7);
  ScrollTo(8);
  const WidgetLayout taken = *rows[2]->GetLayoutData();
  ScrollTo(9);
  rows[2]->SetParent(nullptr);
  EXPECT_EQ(rows[2]->GetLayoutData()->world.m[13], taken.world.m[13] + 1.0f);
  // Hidden while passed over, row 1 keeps the place the layout before the hiding gave it, as it would have.
  ScrollTo(4);
  const float before = rows[1]->GetLayoutData()->world.m[13];
  ScrollTo(5);
  rows[1]->SendEvent(kWEventHideWidget, nullptr);
  ScrollTo(6);
  EXPECT_EQ(rows[1]->GetLayoutData()->world.m[13], before + 1.0f);
}

// Each scroll from one place to the next (after a layout that visited every row) gives the records,
// picture and kept rows of a layout that visits every row; at most `most` rows are laid out per scroll.
void ExpectScrollsAsFullLayouts(LongListTest& t, std::initializer_list<float> places, size_t most);

// Big jumps, the end and back, a row resized or moved while out of view, and rows kept out of view: the rows the layout
// looks at are found by how far the rows reach, and what it gives equals a walk over every row.
TEST_F(LongListTest, ScrollJumpsAndEditedRowsLayOutAsAFullLayout) {
  ExpectScrollsAsFullLayouts(*this, {0, 4116, 0, 2000, 2001, 1999, 4116, 4115, -300, 5000, 3, 0}, 32);
  ScrollTo(0);
  MemberSet<VVector3f>(rows[150], 0x07FFF0D8, Vector3f{1, 300, 0});  // taller, out of view
  ExpectScrollsAsFullLayouts(*this, {0, 3000, 3100, 3300, 4116, 0}, 32);
  MemberSet<VVector3f>(rows[190], 0x06FFF0D8, Vector3f{0, 100, 0});  // moved to the top
  ExpectScrollsAsFullLayouts(*this, {0, 4116, 4110, 50, 4116}, 32);
  // Rows with an effect are kept wherever they lie, and visited far from the view at both ends.
  auto* fx = static_cast<WEffect_I*>(MakeOf(ClassId::WEffect, "fx"));
  rows[10]->SetEffect(0, fx);
  rows[180]->SetEffect(0, fx);
  ExpectScrollsAsFullLayouts(*this, {0, 4116, 0, 2000, 2001}, 34);
  EXPECT_EQ(Kept().front(), 10);
  EXPECT_EQ(Kept().back(), 180);
}

// Rows not in order along the height (reversed, a grid, shuffled, one at NaN or off the plane) are looked
// at as a walk over every row would, and lay out alike.
TEST_F(LongListTest, RowsOutOfOrderLayOutAsAFullLayout) {
  const std::function<Vector3f(int)> layouts[] = {
      [](int i) {
        return Vector3f{0, kRow * float(kRows - 1 - i), 0};
      },
      [](int i) {
        return Vector3f{float(i % 2) * 90.0f, kRow * float(i / 2), 0};
      },
      [](int i) {
        return Vector3f{0, kRow * float((i * 37) % kRows), 0};
      },
      [](int i) {
        return Vector3f{0, i == 120 ? NAN : kRow * float(i), 0};
      },
      [](int i) {
        return Vector3f{0, kRow * float(i), i == 30 ? 1.0f : 0.0f};
      },
  };
  for (const auto& place : layouts) {
    for (int i = 0; i < kRows; ++i) MemberSet<VVector3f>(rows[size_t(i)], 0x06FFF0D8, place(i));
    ExpectScrollsAsFullLayouts(*this, {0, 1000, 1001, 4116, 0, 2200}, 32);
  }
}

void ExpectScrollsAsFullLayouts(LongListTest& t, std::initializer_list<float> places, size_t most) {
  // A row at NaN has NaN records, alike in both layouts.
  const auto records = [&](std::vector<float> r) {
    for (float& v : r)
      if (std::isnan(v)) v = 1e30f;
    return r;
  };
  const float* from = places.begin();
  for (const float* to = from + 1; to != places.end(); from = to++) {
    t.ScrollTo(*from);
    t.ScrollTo(*to);
    size_t laidOut = 0;
    for (WListItem_I* row : t.rows) laidOut += row->m_layoutPass == t.content->m_outOfView->Pass();
    EXPECT_LE(laidOut, most) << *from << " to " << *to;
    const std::vector<int> kept = t.Kept();
    const std::vector<std::string> drawn = t.Picture();
    const std::vector<float> laid = records(t.Records());
    EXPECT_EQ(laid, records(t.FullRecords())) << *from << " to " << *to;
    EXPECT_EQ(drawn, t.Picture()) << *from << " to " << *to;
    EXPECT_EQ(kept, t.Kept()) << *from << " to " << *to;
  }
}

// The kept children's minimum equals one computed over every row after each edit below, and each edit
// changes it.
TEST_F(LongListTest, KeptMinimumFollowsEveryEditOfARow) {
  content->m_layout.resizeModeX = content->m_layout.resizeModeY = kResizeMin;
  ScrollTo(0);
  ASSERT_NE(content->m_minimumCache, nullptr);
  auto* other = static_cast<UIElement_I*>(MakeOf(UIElement_I::kClassId, "other"));
  other->m_borderMin = {7, 3, 0};
  auto* wide = static_cast<UIElement_I*>(MakeOf(UIElement_I::kClassId, "wide"));
  wide->m_borderMin = {30, 3, 0};
  auto* otherStyle = static_cast<WidgetStyle_I*>(MakeOf(WidgetStyle_I::kClassId, "otherStyle"));
  otherStyle->m_fontStyle = style->m_fontStyle;
  otherStyle->m_elementListItem = wide;
  WListItem_I* added = nullptr;
  // Row 9, given an icon, stays the widest; the edits that give one row an element or style of its own
  // come last, as the minimum is no longer kept after them.
  struct Edit {
    const char* what;
    std::function<void()> apply;
  } edits[] = {
      {"label", [&] { rows[7]->SetLabel("A label longer than every other one"); }},
      {"dimension",
       [&] {
         MemberSet<VVector3f>(rows.back(), 0x07FFF0D8, Vector3f{1, 60, 0});
       }},
      {"position",
       [&] {
         MemberSet<VVector3f>(rows[3], 0x06FFF0D8, Vector3f{0, 5000, 0});
       }},
      {"hidden", [&] { rows[3]->SendEvent(kWEventHideWidget, nullptr); }},
      {"resize mode", [&] { MemberSet<VEnum>(rows[7], 0x08FFF0D8, kResizeExact); }},
      {"icon", [&] { MemberSet<VI32>(rows[9], 0x02FFF0E9, 0); }},
      {"shared element",
       [&] {
         MemberSet<VVector3f>(style->m_elementListItem.Get(), 0x04FFF0E8, Vector3f{100, 0, 0});
       }},
      {"shared element written in place", [&] { style->m_elementListItem->m_borderMin.x = 120; }},
      {"style's element", [&] { style->m_elementListItem = other; }},
      {"row added", [&] { (added = Row(kRows))->m_layout.position.y = 6000; }},
      {"row removed", [&] { added->SetParent(nullptr); }},
      {"row style", [&] { MemberSet<VObject>(rows[9], 0x03FFF0D8, otherStyle); }},
      {"row element", [&] { MemberSet<VObject>(rows[9], 0x04FFF0D8, other); }},
  };
  Vector3f before = ChildrenMinimum(content, true);
  for (const Edit& edit : edits) {
    edit.apply();
    const Vector3f kept = ChildrenMinimum(content, true);
    OutOfViewIndex::NoteEdit();
    const Vector3f full = ChildrenMinimum(content, true);
    EXPECT_EQ(kept.x, full.x) << edit.what;
    EXPECT_EQ(kept.y, full.y) << edit.what;
    EXPECT_TRUE(full.x != before.x || full.y != before.y) << edit.what;
    before = full;
  }
  EXPECT_EQ(content->m_minimumCache, nullptr);
  // Kept again once every row reads one element.
  rows[9]->SetParent(nullptr);
  ChildrenMinimum(content, true);
  EXPECT_NE(content->m_minimumCache, nullptr);
}

}  // namespace
}  // namespace PM::Test
