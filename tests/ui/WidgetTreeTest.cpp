// The widget tree: moving widgets, refusing cycles, child arrays, sorting, and freeing wide and deep trees.
#include <algorithm>
#include <climits>

#include "WidgetFixture.h"
#include "script/object/MemberAccess.h"
#include "ui/WButton.h"
#include "ui/WEffect.h"
#include "ui/WPopup.h"

namespace PM::Test {
namespace {

constexpr uint32_t kMemberButtonSubMenu = 0x05FFF0E9;

std::string Children(const Widget_I* w) {
  std::string out;
  for (const Obj<Widget_I>& c : w->m_widgetArray)
    out.append(out.empty() ? "" : " ").append(c.IsNil() ? "-" : c->m_name.CStr());
  return out;
}

TEST_F(WidgetTest, ParentMovesTheWidgetBetweenParents) {
  ElementWidget *a = Make("a"), *b = Make("b"), *x = Make("x", a), *y = Make("y", a);
  EXPECT_EQ(Children(a), "x y");
  MemberSet<VObject>(x, kMemberWidgetParent, b);
  EXPECT_EQ(Children(a), "y");
  EXPECT_EQ(Children(b), "x");
  EXPECT_EQ(x->GetParent(), b);
  MemberSet<VObject>(y, kMemberWidgetParent, nullptr);  // nil only detaches
  EXPECT_EQ(Children(a), "");
  EXPECT_TRUE(IsNilObject(y->GetParent()));
  // Not a widget: reported, and the widget is detached as for nil.
  MemberSet<VObject>(x, kMemberWidgetParent, m_covering.Get());
  EXPECT_NE(TakeLog().find("cannot cast \"UIElement\" to \"Widget\""), std::string::npos);
  EXPECT_EQ(Children(b), "");
}

TEST_F(WidgetTest, PopupUnderAButtonBecomesItsSubMenu) {
  auto* button = static_cast<WButton_I*>(MakeOf(ClassId::WButton, "button"));
  auto* popup = static_cast<WPopup_I*>(MakeOf(ClassId::WPopup, "popup"));
  ElementWidget* other = Make("other");
  MemberSet<VObject>(popup, kMemberWidgetParent, button);
  MemberSet<VObject>(other, kMemberWidgetParent, button);
  EXPECT_EQ(button->m_subMenu.Get(), popup);
  EXPECT_EQ(Children(button), "other");
  // The same state as writing SubMenu: the popup's parent link names the button, which does not list it.
  auto* viaMember = static_cast<WButton_I*>(MakeOf(ClassId::WButton, "viaMember"));
  auto* second = static_cast<WPopup_I*>(MakeOf(ClassId::WPopup, "second"));
  MemberSet<VObject>(viaMember, kMemberButtonSubMenu, second);
  for (auto [b, p] : {std::pair<WButton_I*, WPopup_I*>{button, popup}, {viaMember, second}}) {
    EXPECT_EQ(MemberGet<VObject>(b, kMemberButtonSubMenu), p);
    EXPECT_EQ(MemberGet<VObject>(p, kMemberWidgetParent), b);
    EXPECT_EQ(std::count(b->m_widgetArray.begin(), b->m_widgetArray.end(), Obj<Widget_I>(p)), 0);
  }
  // Moving the popup to a second button through Parent clears the first one's SubMenu.
  MemberSet<VObject>(popup, kMemberWidgetParent, viaMember);
  EXPECT_TRUE(button->m_subMenu.IsNil());
  EXPECT_EQ(viaMember->m_subMenu.Get(), popup);
  EXPECT_EQ(popup->GetParent(), viaMember);
  EXPECT_TRUE(IsNilObject(second->GetParent()));
  MemberSet<VObject>(popup, kMemberWidgetParent, nullptr);
  EXPECT_TRUE(viaMember->m_subMenu.IsNil());
  EXPECT_TRUE(IsNilObject(popup->GetParent()));
  EXPECT_EQ(TakeLog(), "");
}

TEST_F(WidgetTest, ArrayEntriesKeepBothSidesInStep) {
  ElementWidget *p = Make("p"), *c = Make("c"), *d = Make("d");
  MemberSetAt<VObject>(p, kMemberWidgetWidgetArray, 2, c);
  EXPECT_EQ(Children(p), "- - c");
  MemberSetAt<VObject>(p, kMemberWidgetWidgetArray, 2, c);  // the same child again: nothing changes
  MemberSetAt<VObject>(p, kMemberWidgetWidgetArray, 0, c);  // a second index: two entries, one child
  EXPECT_EQ(Children(p), "c - c");
  EXPECT_EQ(c->GetParent(), p);
  EXPECT_TRUE(IsNilObject(MemberGetAt<VObject>(p, kMemberWidgetWidgetArray, 7)));
  MemberSetAt<VObject>(p, kMemberWidgetWidgetArray, 1, d);
  MemberRemove(p, kMemberWidgetWidgetArray, 1, 5);  // clipped to the end
  EXPECT_EQ(Children(p), "c");
  EXPECT_TRUE(IsNilObject(d->GetParent()));
  // A child placed under a second parent stays in the first one too, linked to the second.
  ElementWidget* q = Make("q");
  MemberSetAt<VObject>(q, kMemberWidgetWidgetArray, 0, c);
  EXPECT_EQ(Children(p), "c");
  EXPECT_EQ(c->GetParent(), q);
  p->RemoveChild(d);  // not a child: nothing
  EXPECT_EQ(Children(p), "c");
  EXPECT_EQ(TakeLog(), "");
}

TEST_F(WidgetTest, CyclesAreRefused) {
  ElementWidget *a = Make("a"), *b = Make("b", a), *c = Make("c", b);
  struct Case {
    Widget_I* target;
    uint32_t member;
    Widget_I* value;
    const char* line;
  } cases[] = {
      {a, kMemberWidgetParent, c, "Widget::SetParent: \"a\" cannot be placed below itself or its descendant \"c\"."},
      {b, kMemberWidgetParent, b, "Widget::SetParent: \"b\" cannot be placed below itself or its descendant \"b\"."},
      {c, kMemberWidgetWidgetArray, a,
       "Widget::SetWidgetArray: \"a\" cannot be placed below itself or its descendant \"c\"."},
  };
  for (const Case& k : cases) {
    if (k.member == kMemberWidgetParent)
      MemberSet<VObject>(k.target, k.member, k.value);
    else
      MemberSetAt<VObject>(k.target, k.member, 0, k.value);
    EXPECT_NE(TakeLog().find(k.line), std::string::npos) << k.line;
  }
  EXPECT_EQ(Children(a), "b");
  EXPECT_EQ(Children(b), "c");
  EXPECT_EQ(Children(c), "");
  // A child held by a second parent is found through the child arrays as well.
  ElementWidget* d = Make("d");
  MemberSetAt<VObject>(d, kMemberWidgetWidgetArray, 0, a);  // a's link now names d
  MemberSetAt<VObject>(c, kMemberWidgetWidgetArray, 0, d);
  EXPECT_NE(TakeLog().find("\"d\" cannot be placed below itself or its descendant \"c\"."), std::string::npos);
}

TEST_F(WidgetTest, EffectsTakeTheWidgetAsOwner) {
  constexpr uint32_t kEffectArray = 0x18FFF0D8;
  ElementWidget *w = Make("w"), *other = Make("other");
  auto* first = static_cast<WEffect_I*>(MakeOf(ClassId::WEffect));
  auto* second = static_cast<WEffect_I*>(MakeOf(ClassId::WEffect));
  MemberSetAt<VObject>(w, kEffectArray, 1, first);
  EXPECT_EQ(MemberSize(w, kEffectArray), 2);
  EXPECT_EQ(first->GetOwner(), w);
  first->SetOwner(other);
  MemberSetAt<VObject>(w, kEffectArray, 1, second);  // the replaced effect is handed the widget too
  EXPECT_EQ(first->GetOwner(), w);
  EXPECT_EQ(second->GetOwner(), w);
  EXPECT_EQ(MemberGetAt<VObject>(w, kEffectArray, 1), second);
  // Another class, or nil, is ignored without a word.
  MemberSetAt<VObject>(w, kEffectArray, 1, other);
  MemberSetAt<VObject>(w, kEffectArray, 4, nullptr);
  EXPECT_EQ(MemberGetAt<VObject>(w, kEffectArray, 1), second);
  EXPECT_EQ(MemberSize(w, kEffectArray), 2);
  EXPECT_EQ(TakeLog(), "");
}

TEST_F(WidgetTest, SortChildrenComparesPriorities) {
  ElementWidget* p = Make("p");
  const int32_t priorities[] = {INT_MAX, INT_MIN, 0, -1, 0x10000001};
  const char* names[] = {"max", "min", "zero", "minus", "big"};
  for (int i = 0; i < 5; ++i) Make(names[i], p)->m_childPriority = priorities[i];
  MemberSetAt<VObject>(p, kMemberWidgetWidgetArray, 5, nullptr);
  p->SortChildren();
  EXPECT_EQ(Children(p), "min minus zero - big max");  // nil counts as 0x10000000
  p->CompactChildren();
  EXPECT_EQ(p->m_widgetArray.Capacity(), 6);
}

TEST_F(WidgetTest, DestroyedParentLeavesHeldChildrenDetached) {
  Obj<Widget_I> child;
  {
    Obj<Widget_I> parent(ElementWidget::Create());
    child = ElementWidget::Create();
    child->SetParent(parent);
  }
  EXPECT_TRUE(IsNilObject(child->GetParent()));
  EXPECT_EQ(TakeLog(), "");
}

TEST_F(WidgetTest, WideAndDeepTreesAreFreed) {
  {
    Obj<Widget_I> wide(ElementWidget::Create());
    for (int i = 0; i < 100000; ++i) wide->SetChild(i, ElementWidget::Create());
    EXPECT_EQ(wide->ChildCount(), 100000);
  }
  {
    Obj<Widget_I> top(ElementWidget::Create());
    Widget_I* at = top.Get();
    for (int i = 0; i < 2 * kMaxWidgetDepth; ++i) {
      Widget_I* next = ElementWidget::Create();
      at->SetChild(0, next);
      at = next;
    }
  }
  EXPECT_EQ(TakeLog(), "");  // the fixture checks that every block was freed
}

TEST_F(WidgetTest, BranchesPastTheDepthLimitAreSkippedWithOneLinePerFrame) {
  ElementWidget* root = Make("root");
  root->m_layout.resizeModeX = root->m_layout.resizeModeY = kResizePercent;
  root->m_layout.dimension = {1, 1, 0};
  Widget_I* at = root;
  for (int i = 0; i < 2 * kMaxWidgetDepth; ++i) at = Make(i == kMaxWidgetDepth - 1 ? "deep" : "", at);
  m_window->m_rootWidget = root;
  for (int frame = 0; frame < 2; ++frame) {
    EXPECT_EQ(DrawWindow().size(), size_t(kMaxWidgetDepth));
    const std::string log = TakeLog();
    EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 1) << log;
    EXPECT_NE(log.find("Widget::CalcDimMin: the branch at \"deep\" lies more than 256 levels deep and is skipped."),
              std::string::npos);
  }
}

}  // namespace
}  // namespace PM::Test
