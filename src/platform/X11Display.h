// The one X display connection that the process's windows share: opened by the first window-class
// registration, closed when the last one goes. Also the X error handler: an X error is stored as the
// calling thread's last error (code kXErrorBase + the X error code) instead of ending the process.
#pragma once

#include <cstdint>
#include <string>

using Display = struct _XDisplay;

namespace PM {

constexpr uint32_t kXErrorBase = 0x20000000;
// The last error when no connection to the display named by DISPLAY can be opened.
constexpr uint32_t kNoDisplayError = kXErrorBase + 256;

// Counts a user of the shared connection, opening it on the first (null when no display can be opened;
// the count is then not taken, and the last error is kNoDisplayError). Returns the connection.
Display* AcquireDisplay();
// Drops a user; the last one closes the connection.
void ReleaseDisplay();
// The open connection or null; its user count.
Display* SharedDisplay();
int DisplayUserCount();

// The text of a platform error: X errors by the server's wording, a missing display with the name that
// DISPLAY gives, the rest by the system's.
std::string PlatformErrorText(uint32_t code);

// Whether a window manager runs on the display's screen (it decorates, places and maximises windows).
bool HasWindowManager(Display* display);

// An atom by name, interned once per connection.
unsigned long InternAtom(Display* display, const char* name);

}  // namespace PM
