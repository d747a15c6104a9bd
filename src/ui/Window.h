// The scene node that carries a user interface: TWindow holds the root of a widget tree, lays it out,
// draws it and keeps the input state that survives from frame to frame; SWindow is its description node.
#pragma once

#include "core/Array.h"
#include "core/Matrix4f.h"
#include "core/String.h"
#include "core/Vector3f.h"
#include "render/GUIWindow.h"
#include "scene/Node.h"
#include "ui/UIClass.h"
#include "ui/WidgetInput.h"

namespace PM {

class Widget_I;

class SWindow_I : public EngineClass<SWindow_I, SNode_I, ClassId::SWindow, "SWindow"> {
 public:
  // Two vectors kept for the host; nothing in the user interface reads them.
  void SetFirst(const Vector3f& v) { m_first = v; }
  Vector3f GetFirst() const { return m_first; }
  void SetSecond(const Vector3f& v) { m_second = v; }
  Vector3f GetSecond() const { return m_second; }

  Vector3f m_first{0, 0, 0};
  Vector3f m_second{160, 100, 0};
};

class TWindow_I : public EngineClass<TWindow_I, TNode_I, ClassId::TWindow, "TWindow", SWindow_I>, public GUIWindow {
 public:
  TWindow_I();
  ~TWindow_I();

  // Defines SWindow, then TWindow with its members.
  static void Define();

  // Mouse capture, menu capture and key capture. The setters take nil or a widget (anything else is
  // reported and stored as nil); a release changes something only for the captured widget. Moving
  // the key capture tells the old widget KeyboardFocusLost and the new one KeyboardFocus.
  Widget_I* GetCaptureWidget() const { return m_input.captureWidget.Get(); }
  void SetCaptureWidget(ScriptObject* widget);
  void ReleaseCaptureWidget(Widget_I* widget);
  Widget_I* GetCaptureMenu() const { return m_input.captureMenu.Get(); }
  void SetCaptureMenu(ScriptObject* widget);
  void ReleaseCaptureMenu(Widget_I* widget);
  // Asks the next input pass to refresh the info text.
  void RefreshInfo() { m_refreshInfo = true; }
  Widget_I* GetKeyCaptureWidget() const { return m_input.keyCaptureWidget.Get(); }
  void SetKeyCaptureWidget(ScriptObject* widget);
  void ReleaseKeyCaptureWidget(Widget_I* widget);
  // Starts dragging the widget (a drag already running is replaced, logged) and tells it
  // MouseDragStart; StopDrag releases it with MouseDragRelease.
  void StartDrag(ScriptObject* widget);
  void StopDrag();
  // Sounds the widgets asked for, collected by the host once per frame.
  void QueueSound(const String& name) { m_sounds.Append(name); }
  void TakeSounds(Array<String>& out);
  void SetCursor(int32_t code) { m_cursor = code; }
  int32_t GetCursor() const { return m_cursor; }

  // Lays out the widget tree at the virtual resolution and draws it branch by branch in ascending
  // DrawPriority with the engine's current model-view, which is restored afterwards.
  void Draw(RenderEngine* engine) override;
  // The window matrix: the projection the render system last drew the window with, without an engine's
  // half-pixel shift. The next Draw places channel widgets by it; a Draw without one, by the engine's.
  void SetMatrix(const Matrix4f& m) override { m_matrix = m, m_matrixForDraw = true; }
  void GetMatrix(Matrix4f* out) const { *out = m_matrix; }
  // The frame's input pass over the widgets drawn in the last frame, topmost first: button flags,
  // drags, captures, keys, effects and the hover events. `input` is the caller's record of the frame.
  void DispatchInput(WidgetInput* input);
  void ListShaderCandidates(Array<ScriptObject*>& out) override;

  bool UsesCameraProjection() const override { return m_useCameraProjection; }
  Vector3f GetVirtualResolution() const override { return m_virtualResolution; }
  // The widgets drawn in the last frame, in drawing order.
  const Array<WeakObj<Widget_I>>& DrawnWidgets() const { return m_drawn; }
  // Performance-counter ticks when the window was made; effects run on the time since.
  int64_t CreationTime() const { return m_creationTime; }
  // The state kept between input passes.
  const WidgetInput& PersistentInput() const { return m_input; }

  Obj<Widget_I> m_rootWidget;
  Vector3f m_virtualResolution{2048, 1536, 2048};
  bool m_inputFocus = true;
  bool m_useCameraProjection = false;
  WidgetInput m_input;
  bool m_refreshInfo = false;
  Matrix4f m_matrix = kIdentityMatrix4f;
  bool m_matrixForDraw = false;  // set by SetMatrix, taken by the next Draw
  Array<WeakObj<Widget_I>> m_drawn;
  Array<String> m_sounds;
  int32_t m_cursor = 0;
  int64_t m_creationTime = 0;

 private:
  // Parts of the input pass, in their order.
  void ButtonFlags(WidgetInput& r);
  void DragMachine(WidgetInput& r);
  void TraverseDrawn(WidgetInput& r);
  void ReleaseStale(WidgetInput& r);
  void HoverEvents(WidgetInput& r, Widget_I* before);
};

}  // namespace PM
