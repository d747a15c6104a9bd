// The scene node that carries a user interface: TWindow holds the root of a widget tree, lays it out,
// draws it and receives the frame's input; SWindow is its description node.
#pragma once

#include "core/Matrix4f.h"
#include "core/Vector3f.h"
#include "render/GUIWindow.h"
#include "scene/Node.h"
#include "ui/UIClass.h"

namespace PM {

class Widget_I;

class SWindow_I : public EngineClass<SWindow_I, SNode_I, ClassId::SWindow, "SWindow"> {
 public:

  // Two vectors kept for the host; nothing in the user interface reads them.
  Vector3f m_first{0, 0, 0};
  Vector3f m_second{160, 100, 0};
};

class TWindow_I : public EngineClass<TWindow_I, TNode_I, ClassId::TWindow, "TWindow", SWindow_I>,
                  public GUIWindow {
 public:
  // Defines SWindow, then TWindow with its members.
  static void Define();

  // Lays out and draws the widget tree; the layout and drawing passes come with the widget tree's
  // drawing, until then the window draws nothing.
  void Draw(RenderEngine* engine) override;
  // The window matrix: the projection the render system last drew the window with.
  void SetMatrix(const Matrix4f& m) override { m_matrix = m; }
  void ListShaderCandidates(Array<ScriptObject*>& out) override;
  void GetMatrix(Matrix4f* out) const { *out = m_matrix; }

  bool UsesCameraProjection() const override { return m_useCameraProjection; }
  Vector3f GetVirtualResolution() const override { return m_virtualResolution; }

  Obj<Widget_I> m_rootWidget;
  Vector3f m_virtualResolution{2048, 1536, 2048};
  bool m_inputFocus = true;
  bool m_useCameraProjection = false;
  Matrix4f m_matrix = kIdentityMatrix4f;
};

}  // namespace PM
