#include "ui/Widget.h"

#include <vector>

#include "core/Log.h"
#include "ui/UIElement.h"
#include "ui/WEffect.h"
#include "ui/WHandler.h"
#include "ui/WidgetStyle.h"

namespace PM {

namespace {

// The children of widgets being destroyed, released one at a time by the outermost destructor: a
// chain of any depth is freed without one stack frame per level.
thread_local std::vector<Obj<Widget_I>>* t_releasing = nullptr;

void ReleaseChildren(Array<Obj<Widget_I>>& children) {
  std::vector<Obj<Widget_I>> local;
  std::vector<Obj<Widget_I>>& pending = t_releasing ? *t_releasing : local;
  for (Obj<Widget_I>& child : children)
    if (!child.IsNil()) pending.push_back(std::move(child));
  children.Clear();
  if (t_releasing) return;
  t_releasing = &local;
  while (!local.empty()) {
    Obj<Widget_I> child = std::move(local.back());
    local.pop_back();
    child.Clear();  // may append the children of its own
  }
  t_releasing = nullptr;
}

ScriptObject* EffectAt(ScriptObject* o, uint32_t m, int32_t i) {
  const Array<Obj<WEffect_I>>& a = static_cast<Widget_I*>(o)->m_effectArray;
  if (i < 0) ReportBadIndex("Get", o, m, i, a.Count());
  return i < 0 || i >= a.Count() ? NilScriptObject() : a[i].Get();
}
void SetEffectAt(ScriptObject* o, uint32_t m, int32_t i, ScriptObject* v) {
  if (!SetIndexOk(o, m, i, static_cast<Widget_I*>(o)->m_effectArray.Count())) return;
  static_cast<Widget_I*>(o)->SetEffect(i, v);
}
int32_t EffectCount(ScriptObject* o, uint32_t) { return static_cast<Widget_I*>(o)->m_effectArray.Count(); }
void RemoveEffects(ScriptObject* o, uint32_t, int32_t start, int32_t count) {
  OutOfViewIndex::NoteEdit();
  static_cast<Widget_I*>(o)->m_effectArray.Remove(start, count);
}

}  // namespace

Widget_I::Widget_I() : m_style(WidgetStyle_I::GetDefaultStyle()) {}

Widget_I::~Widget_I() {
  if (!m_parent.IsNil()) LogError("~Widget_D: m_Parent!=NilObject!");
  // Last child first; a child that has moved on to another parent keeps its link to it.
  for (int32_t i = m_widgetArray.Count() - 1; i >= 0; --i) {
    Widget_I* child = m_widgetArray[i].Get();
    if (!IsNilObject(child) && child->m_parent.Get() == this) child->m_parent = nullptr;
  }
  ReleaseChildren(m_widgetArray);
}

void Widget_I::SetEffect(int32_t i, ScriptObject* v) {
  if (!v || !v->IsA(WEffect_I::kClassId)) return;
  OutOfViewIndex::NoteEdit();
  if (i >= m_effectArray.Count()) m_effectArray.Grow(i + 1);
  if (!m_effectArray[i].IsNil()) m_effectArray[i]->SetOwner(this);
  auto* effect = static_cast<WEffect_I*>(v);
  m_effectArray[i] = effect;
  effect->SetOwner(this);
}

void Widget_I::NoteLayoutEdit() const {
  Widget_I* parent = m_parent.Get();
  // Dropping the kept minimum also makes the next layout visit every row (OutOfViewIndex::Begin).
  if (!IsNilObject(parent) && parent->m_minimumCache) parent->m_minimumCache->Drop();
}

void Widget_I::RefreshSkippedWorld() {
  Widget_I* parent = m_parent.Get();
  if (IsNilObject(parent) || !parent->m_outOfView || m_layout.visibility == 0) return;
  const OutOfViewIndex& index = *parent->m_outOfView;
  if (!index.Skipped(m_layoutPass)) return;
  m_layout.PlaceIn(index.Record()->world);
  m_layoutPass = index.Pass();
}

void Widget_I::RefreshSkippedChildren() {
  if (!m_outOfView || !m_outOfView->SkippedAny()) return;
  const void* nil = NilObject();
  for (const Obj<Widget_I>& child : m_widgetArray)
    if (child.Get() != nil && child->m_parent.Get() == this) child->RefreshSkippedWorld();
  m_outOfView->Refreshed();
}

void Widget_I::SetModal(bool modal) {
  OutOfViewIndex::NoteEdit();
  m_modal = modal;
}

void Widget_I::SetDrawPriority(int32_t priority) {
  OutOfViewIndex::NoteEdit();
  m_drawPriority = priority;
}

void Widget_I::Define() {
  const ClassDef row[] = {AbstractClass<Widget_I>(Object_I::kClassId, kName)};
  DefineClasses(row);
  using L = WidgetLayout;
  const MemberDef members[] = {
      AccessorMember<&Widget_I::GetParent, &Widget_I::SetParent>(kMemberWidgetParent, "Parent", 0x7),
      IndexedAccessorMember<&Widget_I::GetChild, &Widget_I::SetChild, &Widget_I::ChildCount, &Widget_I::RemoveChildren>(
          kMemberWidgetWidgetArray, "WidgetArray"),
      MinimumFieldMember<&Widget_I::m_style>(0x03FFF0D8, "Style", 0x4),
      MinimumFieldMember<&Widget_I::m_element>(0x04FFF0D8, "Element"),
      LayoutFieldMember<&L::visibility>(kMemberWidgetVisibility, "Visibility"),
      LayoutFieldMember<&L::position>(0x06FFF0D8, "Position"),
      LayoutFieldMember<&L::dimension>(0x07FFF0D8, "Dimension"),
      LayoutFieldMember<&L::resizeModeX, VEnum>(0x08FFF0D8, "ResizeModeX"),
      LayoutFieldMember<&L::resizeModeY, VEnum>(0x09FFF0D8, "ResizeModeY"),
      LayoutFieldMember<&L::resizeModeZ, VEnum>(0x0AFFF0D8, "ResizeModeZ"),
      LayoutFieldMember<&L::alignmentModeX, VEnum>(0x0BFFF0D8, "AlignmentModeX"),
      LayoutFieldMember<&L::alignmentModeY, VEnum>(0x0CFFF0D8, "AlignmentModeY"),
      LayoutFieldMember<&L::alignmentModeZ, VEnum>(0x0DFFF0D8, "AlignmentModeZ"),
      LayoutFieldMember<&L::inputVisibility>(0x0EFFF0D8, "InputVisibility"),
      FieldMember<&Widget_I::m_focusTransparent>(0x0FFFF0D8, "FocusTransparent"),
      FieldMember<&Widget_I::m_enable>(0x10FFF0D8, "Enable"),
      FieldMember<&Widget_I::m_branchColor>(0x11FFF0D8, "BranchColor"),
      AccessorMember<&Widget_I::GetDrawPriority, &Widget_I::SetDrawPriority>(0x12FFF0D8, "DrawPriority"),
      FieldMember<&Widget_I::m_infoText>(0x13FFF0D8, "InfoText"),
      FieldMember<&Widget_I::m_userValue>(0x14FFF0D8, "UserValue"),
      FieldMember<&Widget_I::m_userObject>(0x15FFF0D8, "UserObject", 0x4),
      FieldMember<&Widget_I::m_userWeakObject>(0x16FFF0D8, "UserWeakObject", 0x7),
      FilledIndexedMember<&Widget_I::m_handlerArray>(0x17FFF0D8, "HandlerArray", 0x4),
      CallbackIndexedMember<VObject>(0x18FFF0D8, "EffectArray", &EffectAt, &SetEffectAt, &EffectCount, &RemoveEffects),
      FieldMember<&Widget_I::m_childPriority>(0x19FFF0D8, "ChildPriority"),
      AccessorMember<&Widget_I::GetModal, &Widget_I::SetModal>(0x1AFFF0D8, "Modal"),
      FieldMember<&Widget_I::m_widgetState>(0x1BFFF0D8, "WidgetState"),
  };
  DefineMembers(members);
}

void Widget_I::DefineResizeModeEnum() {
  static const char* const kNames[] = {"ResizeExact", "ResizeMin", "ResizePercent", "ResizeMinPercent", "ResizeMax"};
  DefineEnumType({kClassWidgetResizeMode, "Widget", "ResizeModeEnum", kNames, 5});
}

void Widget_I::DefineAlignmentModeEnum() {
  static const char* const kNames[] = {"AlignCenter", "AlignMin", "AlignMax", "AlignBlock"};
  DefineEnumType({kClassWidgetAlignmentMode, "Widget", "AlignmentModeEnum", kNames, 4});
}

}  // namespace PM
