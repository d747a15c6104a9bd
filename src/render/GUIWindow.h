// What the GUI pass needs of a user-interface window. Windows belong to the user interface, which sits
// above the render system, so the window node implements this and the pass reaches it only through it.
#pragma once

#include <cstdint>

#include "classes/EngineClassIds.h"
#include "core/Array.h"
#include "core/Matrix4f.h"
#include "core/Vector3f.h"

namespace PM {

class RenderEngine;
class ScriptObject;

// The user interface's window node is recognised by its class id, ClassId::TWindow; it implements
// GUIWindow.

class GUIWindow {
 public:
  // True: the window is drawn with the scene camera's projection instead of its own.
  virtual bool UsesCameraProjection() const = 0;
  // Width, height and depth of the window's virtual screen; depth 0 asks for an orthographic view.
  virtual Vector3f GetVirtualResolution() const = 0;
  // Keeps a copy of the projection the window is drawn with.
  virtual void SetMatrix(const Matrix4f& projection) = 0;
  // Lays out and draws the window's widget tree with the engine's current matrices.
  virtual void Draw(RenderEngine* engine) = 0;
  // Appends the shaders the widget tree draws with, as candidates for preloading, in the order they
  // are met: per widget its style's shader, an image's shader and its tiles' shaders last to first,
  // then its children in order. Duplicates and shaders that are not for preloading are left in.
  virtual void ListShaderCandidates(Array<ScriptObject*>& out) = 0;

 protected:
  GUIWindow() = default;
  ~GUIWindow() = default;
  GUIWindow(const GUIWindow&) = default;
  GUIWindow& operator=(const GUIWindow&) = default;
};

}  // namespace PM
