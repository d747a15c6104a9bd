#include "ui/Window.h"

#include "core/Clock.h"
#include "core/Log.h"
#include "ui/WEvent.h"
#include "ui/Widget.h"

namespace PM {

TWindow_I::TWindow_I() : m_creationTime(GetPerformanceCounter()) {}

TWindow_I::~TWindow_I() = default;

void TWindow_I::SetCaptureWidget(ScriptObject* widget) { m_input.captureWidget = CheckedObject<Widget_I>(widget); }

void TWindow_I::ReleaseCaptureWidget(Widget_I* widget) {
  if (widget == m_input.captureWidget.Get()) m_input.captureWidget.Clear();
}

void TWindow_I::SetCaptureMenu(ScriptObject* widget) { m_input.captureMenu = CheckedObject<Widget_I>(widget); }

void TWindow_I::ReleaseCaptureMenu(Widget_I* widget) {
  if (widget == m_input.captureMenu.Get()) m_input.captureMenu.Clear();
}

void TWindow_I::SetKeyCaptureWidget(ScriptObject* widget) {
  const Obj<ScriptObject> incoming(widget);  // the old widget's handlers may drop it
  const Obj<Widget_I> old = m_input.keyCaptureWidget;
  if (!old.IsNil()) old->SendEvent(kWEventKeyboardFocusLost, nullptr);
  m_input.keyCaptureWidget = CheckedObject<Widget_I>(incoming.Get());
  const Obj<Widget_I> now = m_input.keyCaptureWidget;
  if (!now.IsNil()) now->SendEvent(kWEventKeyboardFocus, nullptr);
}

void TWindow_I::ReleaseKeyCaptureWidget(Widget_I* widget) {
  if (widget == m_input.keyCaptureWidget.Get()) SetKeyCaptureWidget(nullptr);
}

void TWindow_I::StartDrag(ScriptObject* widget) {
  if (m_input.dragState != 0 || m_input.dragActive != 0)
    LogError("TWindow::StartDrag: activated during active drag operation.");
  if (!m_input.dragSource.IsNil()) ReleaseCaptureWidget(m_input.dragSource.Get());
  const Obj<Widget_I> source(CheckedObject<Widget_I>(widget));
  m_input.dragSource = source.Get();
  m_input.dragState = 1;
  m_input.dragActive = 1;
  if (!source.IsNil()) source->SendEvent(kWEventMouseDragStart, nullptr);
}

void TWindow_I::StopDrag() {
  if (m_input.dragSource.IsNil()) return;
  const Obj<Widget_I> source = m_input.dragSource.Lock();
  ReleaseCaptureWidget(source);
  source->SendEvent(kWEventMouseDragRelease, nullptr);
  m_input.dragSource = nullptr;
  m_input.dragState = 0;
  m_input.dragActive = 0;
}

void TWindow_I::TakeSounds(Array<String>& out) {
  out = std::move(m_sounds);
  m_sounds.Clear();
}

void TWindow_I::DispatchInput(WidgetInput*) { LogDebug("TWindow::DispatchInput: not supported yet."); }

void TWindow_I::Define() {
  DefineUIClass<SWindow_I, SNode_I>();
  DefineUIClass<TWindow_I, TNode_I>();
  const MemberDef members[] = {
      FieldMember<&TWindow_I::m_rootWidget>(0x01FFF0D0, "RootWidget"),
      FieldMember<&TWindow_I::m_virtualResolution>(0x02FFF0D0, "VirtualResolution"),
      FieldMember<&TWindow_I::m_inputFocus>(0x03FFF0D0, "InputFocus"),
      FieldMember<&TWindow_I::m_useCameraProjection>(0x04FFF0D0, "UseCameraProjection"),
  };
  DefineMembers(members);
}

}  // namespace PM
