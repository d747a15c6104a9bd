// X events as window messages: mouse messages carry the Win32 key-state word (a press includes its
// button, a release excludes it), double clicks are synthesised (same button within 500 ms and 4 px),
// wheel buttons become WM_MOUSEWHEEL, keys become virtual keys (SYS messages with Alt), focus changes
// WM_ACTIVATE then WM_SETFOCUS/WM_KILLFOCUS, the close button WM_CLOSE; a window another client destroys
// sends its procedure WM_DESTROY and is forgotten.
#pragma once

#include <cstdint>

#include "platform/WindowMessages.h"

union _XEvent;

namespace PM {

using MessageSink = void (*)(const WindowMessage& message);

// Turns one X event of a window created here into its messages; events of other windows are dropped.
void TranslateXEvent(const _XEvent& event, MessageSink sink);

// The virtual key of an X key code under a modifier state; 0 for keys without one.
uint32_t VirtualKeyOf(PlatformWindow* window, uint32_t keycode, uint32_t state);

// The characters a key press types (UTF-8 decoded to code points; Delete types none); returns the count.
int LookupKeyCharacters(PlatformWindow* window, uint32_t keycode, uint32_t state, char32_t* out, int capacity);

// Drops the input context of a window that is going away.
void ForgetInputContext(PlatformWindow* window);

constexpr uint32_t kDoubleClickMs = 500;
constexpr int32_t kDoubleClickPixels = 4;

}  // namespace PM
