// The calling thread's message queue over the shared X connection: X events of this process's windows
// become input messages; posted messages (and the characters TranslateMessage makes) come before them.
#pragma once

#include <cstdint>

#include "platform/WindowMessages.h"

namespace PM {

enum : uint32_t { PM_NOREMOVE = 0, PM_REMOVE = 1 };

// Takes in the X events waiting now, then finds the first message for `window` (null: any window).
bool PeekMessage(WindowMessage* out, PlatformWindow* window, uint32_t removeFlags);
// Appends a message behind the posted ones (ahead of queued input).
bool PostMessage(PlatformWindow* window, uint32_t message, uintptr_t wParam, intptr_t lParam);
// Calls the window's procedure at once.
intptr_t SendWindowMessage(PlatformWindow* window, uint32_t message, uintptr_t wParam, intptr_t lParam);
// A key press posts one WM_CHAR (WM_SYSCHAR with Alt) per code point it types; true when it typed any.
bool TranslateMessage(const WindowMessage* message);
intptr_t DispatchMessage(const WindowMessage* message);
// The default handling: WM_CLOSE destroys the window, everything else answers 0.
intptr_t DefWindowProc(PlatformWindow* window, uint32_t message, uintptr_t wParam, intptr_t lParam);
// How often DefWindowProc ran on this thread (what a window procedure passed on).
uint64_t DefWindowProcCount();
// Forgets the queued messages of a window that is going away.
void DropWindowMessages(PlatformWindow* window);
// Puts a message behind the queued input, as an X event would (for tests of the window procedure path).
void QueueInputMessage(const WindowMessage& message);

}  // namespace PM
