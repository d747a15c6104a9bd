// The calling thread's widget defaults: the style new widgets take and the callback new handlers take.
// Each thread has its own record, made on its first request and released by ExitWidgetTLS (every
// DLLDeInitialize calls it) or, failing that, when the thread ends.
#pragma once

#include "core/Obj.h"

namespace PM {

class WidgetStyle_I;
class WEventCallback_I;

struct WidgetTLS {
  // Both weak: the defaults live only as long as some owner holds them.
  WeakObj<WidgetStyle_I> defaultStyle;
  WeakObj<WEventCallback_I> defaultCallback;

  // The calling thread's record, made on first request.
  static WidgetTLS& Get();
  // The calling thread's record, or null when it has not asked for one.
  static WidgetTLS* Find();
};

// Releases the calling thread's record; a thread without one changes nothing.
void ExitWidgetTLS();

}  // namespace PM
