// A real pipe with a TWindow fed by XTest: the fixture of the input tests that drive widgets through an
// X display. Each frame pumps the window's messages, lets the host fill the input record from its
// tracker, dispatches it and draws; a callback records (widget, event) for Seen().
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "render/RenderPipe.h"
#include "render/RenderSystemTraverse.h"
#include "script/object/ScriptEngine.h"
#include "support/TestEnv.h"
#include "ui/WEventCallback.h"
#include "ui/WHandler.h"
#include "ui/WidgetInputTracker.h"
#include "ui/Window.h"

// Xlib's own type, declared here so its macros (None, Bool, Status) stay out of the headers above.
typedef struct _XDisplay Display;

namespace PM::Test {

class X11InputFixture : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
  // Drops the test's own objects while the engine still lives (after the window has let go of them).
  virtual void ReleaseObjects() {}

  // Parses `text` as the scene; it names RenderPipe:Pipe, TWindow:ui and RenderChannel:Channel0.
  void Load(const std::string& text);
  ScriptObject* Find(const char* name);
  // Opens the window (the pointer moved out of its way first), hooks the host in and draws 3 frames.
  void Open();
  // A handler of `event` (or of the class `classId`) on `w` that calls the recording callback.
  WHandler_I* Handle(Widget_I* w, uint32_t event, uint32_t classId = ClassId::WHandler);

  // Pumps, fills, dispatches and draws `n` frames.
  void Frames(int n = 1);
  // Moves the pointer to (x, y) of the root (y up).
  void MoveTo(int x, int y);
  void Button(unsigned b, bool press);
  // A left click at (x, y): moved there, pressed, released, a frame each.
  void Click(int x, int y);
  void Key(unsigned long sym, bool press);
  // The recorded calls since the last call, with FocusActive left out unless asked for.
  std::string Seen(bool withActive = false);

  Display* m_x = nullptr;
  TempDir m_dir;
  Obj<ScriptEngine> m_engine;
  Obj<RenderPipe_I> m_pipe;
  Obj<TWindow_I> m_window;
  Obj<WEventCallback_I> m_callback;
  Ptr<RenderSystemTraverse_I> m_traverse;
  WidgetInputTracker* m_host = nullptr;
  WidgetInput m_record;
  int32_t m_left = 0, m_top = 0, m_height = 240;
};

}  // namespace PM::Test
