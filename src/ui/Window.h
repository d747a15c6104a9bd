// The scene node that carries a user interface: TWindow holds the root of a widget tree, lays it out,
// draws it and receives the frame's input; SWindow is its description node.
#pragma once

#include "core/Vector3f.h"
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

class TWindow_I : public EngineClass<TWindow_I, TNode_I, ClassId::TWindow, "TWindow", SWindow_I> {
 public:
  // Both factories attach a fresh SWindow.
  // Defines SWindow, then TWindow with its members.
  static void Define();

  Obj<Widget_I> m_rootWidget;
  Vector3f m_virtualResolution{2048, 1536, 2048};
  bool m_inputFocus = true;
  bool m_useCameraProjection = false;
};

}  // namespace PM
