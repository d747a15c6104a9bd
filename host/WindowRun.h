// pm-run's interactive frames: the pipe's window stays open and draws until it is closed, and its
// pointer and keys reach the widgets of the TWindow "ui" through the pipe's input path.
#pragma once

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

// Opens the RenderPipe "Pipe" and runs frames at the display's pace (at most 60 a second) until its
// window is closed: each pumps the window's messages, gives the TWindow "ui" (when there is one) its
// input record, steps the schedulers and `effects` by the time passed, and draws the channels. Non-zero
// when the scripts made no pipe or it got no window (logged).
int RunWindow(PM::ScriptEngine* engine, const Effects& effects, long passes);

}  // namespace PMHost
