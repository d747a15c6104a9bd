// pm-run's frames: the RenderPipe "Pipe" opened in its window and drawn, either a given number of frames
// 1/60 s apart (--frames) or at the display's pace until the window is closed, with the pointer and keys
// going to the widgets of the TWindow "ui" (--window). Either way a window closed or destroyed from
// outside ends the frames, and the run goes on.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include <pelmora/core/Obj.h>
#include <pelmora/render/InputTracker.h>
#include <pelmora/script/object/ScriptEngine.h>
#include <pelmora/ui/WEventCallback.h>

#include "HostScene.h"

namespace PMHost {

// While it lives, widget events that no handler sends elsewhere print as "event WIDGET EVENT" on
// standard output. Made before the scripts run: a handler takes the default callback when it is made.
class WidgetEventPrinter {
 public:
  WidgetEventPrinter();
  ~WidgetEventPrinter();
  WidgetEventPrinter(const WidgetEventPrinter&) = delete;
  WidgetEventPrinter& operator=(const WidgetEventPrinter&) = delete;

 private:
  PM::Obj<PM::WEventCallback_I> m_callback;
};

// What the frames are asked for.
struct FrameRequest {
  int frames = 0;          // 0: until the window is closed, at the display's pace, with input (--window)
  long passes = -1;        // 0 or more: every channel's pass flag word
  std::string engineType;  // empty: the pipe's own RenderEngineType
  std::string screenshot;  // empty: none; else the file for the last frame drawn, or with a %d for each (PictureFile.h)
  bool stats = false;      // print the render statistics of the last frame drawn
  // --window: what takes the pointer and keys (null: the widgets of the TWindow "ui"); what runs before
  // each frame is stepped and drawn, false ending the frames as closing the window does (empty:
  // nothing); and what steps the animation to the frame's time (empty: the schedulers step to it).
  PM::Ptr<PM::InputTracker> input;
  std::function<bool()> beforeFrame;
  std::function<void(double)> stepAnimation;
  // The side in pixels points are drawn at for a window of a size, asked before each frame (null: the
  // engine's own, one pixel).
  float (*pointSize)(int width, int height) = nullptr;
  // Out: the errors that a frame in flight when its window was destroyed reported (a drawable gone
  // under the engine): consequences of the destruction, which has its own line, not failures of the run.
  uint64_t inFlightErrors = 0;
};

// Runs the frames. Each steps the schedulers and `effects`, then draws the pipe with the channels
// "Channel0", ... and presents it; without a pipe, frames counted by --frames only step. Under --window
// the channel widget "view" gives its Viewport to "Channel1" before each frame but the first. Non-zero
// when a requested result could not be made, the pipe got no window or engine, or (--frames) the window
// was destroyed before the last frame; each cause is logged once.
int RunFrames(PM::ScriptEngine* engine, const Effects& effects, FrameRequest& request);

}  // namespace PMHost
