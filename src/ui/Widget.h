// The base of every W-class: the widget tree, the layout members, drawing order and event handlers.
// Scripts create only derived classes; derived classes replace the virtual operations they need.
#pragma once

#include <memory>

#include "classes/Object.h"
#include "core/String.h"
#include "ui/ChildrenMinimumCache.h"
#include "ui/OutOfViewIndex.h"
#include "ui/ReportOnce.h"
#include "ui/UIClass.h"
#include "ui/WidgetLayout.h"

namespace PM {

class WidgetStyle_I;
class UIElement_I;
class FontStyle_I;
class WHandler_I;
class WEffect_I;
class RenderEngine;
struct WidgetDrawContext;
struct WidgetInput;

// Member ids of Widget that code sets through the member table.
enum : uint32_t {
  kMemberWidgetParent = 0x01FFF0D8,
  kMemberWidgetWidgetArray = 0x02FFF0D8,
  kMemberWidgetVisibility = 0x05FFF0D8,
};

// How deep the layout, drawing and destruction walks follow a widget tree; deeper branches are skipped
// with an Error line. Real interfaces nest a few dozen levels.
constexpr int32_t kMaxWidgetDepth = 256;
// How many handler-to-widget forwardings one event may pass through before it is dropped.
constexpr int32_t kMaxEventForwarding = 32;

class Widget_I : public EngineClass<Widget_I, Object_I, ClassId::Widget, "Widget"> {
 public:
  Widget_I();
  ~Widget_I();

  // Defines the class, then its own members.
  static void Define();
  // Defines the two layout enumerations of the class.
  static void DefineResizeModeEnum();
  static void DefineAlignmentModeEnum();

  // Minimum-size pass over the subtree (bottom-up); returns this widget's record.
  virtual WidgetLayout* CalcDimMin();
  // Nothing calls it; it keeps its place in the widget's operation table, which fixes its order.
  virtual void CopyLayoutData(WidgetLayout* out) { *out = m_layout; }
  virtual WidgetLayout* GetLayoutData() {
    RefreshSkippedWorld();
    return &m_layout;
  }
  // Commit pass over the subtree (top-down) inside the parent record.
  virtual void UpdateLayoutTree(const WidgetLayout* parent, int32_t keepSize);
  // Commit of this widget alone: size, position, world matrix, input flags and clip from the parent.
  virtual void CommitLayout(const WidgetLayout* parent, int32_t keepSize);
  // Draws the widget, or defers it when its DrawPriority lies above the context's level.
  virtual void Draw(WidgetDrawContext* context, RenderEngine* engine);
  // The input pass's entry and the widget's own input step; nothing until the input dispatch is built.
  virtual void TraverseInput(WidgetDrawContext* context, WidgetInput* input);
  virtual void ProcessInput(WidgetDrawContext* context, WidgetInput* input);
  // Whether the input step visits child `index`; widgets that show one child of several say no to the rest.
  virtual bool ChildTakesInput(int32_t) const { return true; }
  // True when the widget lay wholly out of view at its last layout and, until edited, neither draws nor
  // takes input nor gathers an effect there (see OutOfViewIndex); no widget but a plain button says so.
  virtual bool IdleOutOfView() const { return false; }
  // The element whose measures the widget's minimum reads, when every other input of that minimum
  // announces its changes (NoteLayoutEdit); null when not, and then no parent keeps its children's
  // minimum (see ChildrenMinimumCache).
  virtual const UIElement_I* MinimumElement() { return nullptr; }
  // Orders the children by ascending ChildPriority (nil last).
  virtual void SortChildren();
  // Raises a WEvent on the widget; input may be null.
  virtual void SendEvent(uint32_t event, WidgetInput* input);
  virtual void RemoveChild(Widget_I* child);
  virtual void CompactChildren();
  // The element that draws the widget: Element, else the style's element for the widget's own class.
  virtual UIElement_I* GetUIElement();
  virtual FontStyle_I* GetFontStyle();
  // The class's own drawing: draws the widget, then calls Draw of each child. Empty in the base.
  virtual void DrawSelf(WidgetDrawContext* context, RenderEngine* engine);

  // The Parent member: nil detaches; a widget moves the widget under it (a popup under a button
  // becomes its sub menu); the widget itself or one of its descendants is refused.
  Widget_I* GetParent() const { return m_parent.Get(); }
  void SetParent(Widget_I* parent);
  // The WidgetArray member, element by element.
  Widget_I* GetChild(int32_t i) const;
  void SetChild(int32_t i, Widget_I* child);
  int32_t ChildCount() const { return m_widgetArray.Count(); }
  void RemoveChildren(int32_t start, int32_t count);
  // The EffectArray member's Set: effects only, others are ignored.
  void SetEffect(int32_t i, ScriptObject* effect);

  // The Modal and DrawPriority members: a change may bring a row out of view back into the passes.
  void SetModal(bool modal);
  void SetDrawPriority(int32_t priority);
  bool GetModal() const { return m_modal; }
  int32_t GetDrawPriority() const { return m_drawPriority; }

  // An input of the widget's minimum has changed (a layout member, the style or element, the label, the
  // icon): the parent computes its children's minimum again. C++ code that writes those fields of a
  // widget in a long child array directly calls it; the member table and setters do.
  void NoteLayoutEdit() const;
  // A row of a long list passed over by the last layouts gets the world matrix they would have given it.
  void RefreshSkippedWorld();
  // The same for every such row of this widget's child array, before the array changes.
  void RefreshSkippedChildren();

  // Is `ancestor` this widget or above it, following parent links and child arrays.
  bool IsSelfOrBelow(const Widget_I* ancestor) const;

  WeakObj<Widget_I> m_parent;
  Array<Obj<Widget_I>> m_widgetArray;
  Obj<WidgetStyle_I> m_style;
  Obj<UIElement_I> m_element;
  WidgetLayout m_layout;
  // What every pass reads of every widget sits right behind the layout record, so that a row of a long
  // list costs few cache lines per pass.
  bool m_focusTransparent = false;
  bool m_enable = true;
  bool m_modal = false;
  int32_t m_drawPriority = 0;
  // The number of the last layout of a long child array that laid this widget out (see OutOfViewIndex).
  uint64_t m_layoutPass = 0;
  Vector4f m_branchColor{1, 1, 1, 1};
  Array<Obj<WHandler_I>> m_handlerArray;
  Array<Obj<WEffect_I>> m_effectArray;
  int32_t m_childPriority = 0;
  int32_t m_widgetState = -1;
  String m_infoText;
  uint32_t m_userValue = 0;
  Obj<ScriptObject> m_userObject;
  WeakObj<ScriptObject> m_userWeakObject;
  // Bad values this widget has logged already (bookkeeping of the log, so also of const widgets).
  mutable ReportOnce m_reports;
  // Which children the draw and input passes pass over; kept while the child array is long.
  std::unique_ptr<OutOfViewIndex> m_outOfView;
  // The children's minimum, kept while the child array is long and no child announced a change.
  std::unique_ptr<ChildrenMinimumCache> m_minimumCache;

 protected:
  // The commit pass of every non-nil child in `record`, noting which ones the later passes may pass over.
  void LayOutChildren(const WidgetLayout* record);
  // The input pass over the children, from the last (the topmost drawn) to the first.
  void TraverseChildrenInput(WidgetDrawContext* context, WidgetInput* input);
  // The index of the children when the passes may use it at `level`, else null.
  const OutOfViewIndex* UsableIndex(int32_t level) const {
    return m_outOfView && m_outOfView->Usable(m_widgetArray.Count(), level) ? m_outOfView.get() : nullptr;
  }
};

// The largest x and y of `w`'s children's outer minimum (or of another size of their layout records),
// each child's minimum computed on the way; hidden children are left out when `visibleOnly`.
Vector3f ChildrenMinimum(Widget_I* w, bool visibleOnly = false,
                         Vector3f WidgetLayout::*size = &WidgetLayout::outerMinimum);

// A member over a field of a widget's layout record (Field: a pointer to a WidgetLayout field); Tag
// overrides the value type as for FieldMember.
template <auto Field, class Tag = void>
MemberDef LayoutFieldMember(uint32_t id, const char* name, uint32_t flags = 0) {
  using F = typename DataMemberOf<decltype(Field)>::Field;
  using T = std::conditional_t<std::is_void_v<Tag>, TagOf<F>, Tag>;
  struct Access {
    static F& Ref(ScriptObject* o) { return static_cast<Widget_I*>(o)->m_layout.*Field; }
    static typename T::Value Read(ScriptObject* o) { return typename T::Value(Ref(o)); }
    static void Write(ScriptObject* o, const typename T::Value& v) {
      static_cast<Widget_I*>(o)->RefreshSkippedWorld();  // a hidden row keeps the layout it had
      Ref(o) = F(v);
      static_cast<Widget_I*>(o)->NoteLayoutEdit();
    }
  };
  using Th = SingleThunks<T, Access>;
  return MakeMemberDef<T, kShapeSingle>(id, name, flags | FormFlags<T, kShapeSingle>(), Th::GetFn(), Th::SetFn());
}

// A field member of a widget class whose writes change the widget's minimum: as FieldMember, with the
// change announced.
template <auto Field, class Tag = void>
MemberDef MinimumFieldMember(uint32_t id, const char* name, uint32_t flags = 0) {
  using F = typename DataMemberOf<decltype(Field)>::Field;
  using T = std::conditional_t<std::is_void_v<Tag>, TagOf<F>, Tag>;
  struct Access {
    static typename T::Value Read(ScriptObject* o) { return FieldAccess<Field, T>::Read(o); }
    static void Write(ScriptObject* o, const typename T::Value& v) {
      FieldAccess<Field, T>::Write(o, v);
      static_cast<Widget_I*>(o)->NoteLayoutEdit();
    }
  };
  using Th = SingleThunks<T, Access>;
  return MakeMemberDef<T, kShapeSingle>(id, name, flags | FormFlags<T, kShapeSingle>(), Th::GetFn(), Th::SetFn());
}

}  // namespace PM
