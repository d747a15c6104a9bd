#include "platform/RawInput.h"

#include <X11/Xlib.h>
#include <X11/extensions/XInput2.h>

#include "platform/X11Display.h"

namespace PM {

namespace {

// Holds the shared connection for the length of one call.
class DisplayUse {
 public:
  DisplayUse() : m_display(AcquireDisplay()) {}
  ~DisplayUse() {
    if (m_display) ReleaseDisplay();
  }
  Display* Get() const { return m_display; }

 private:
  Display* m_display;
};

bool HasXInput2(Display* d) {
  int opcode = 0, event = 0, error = 0;
  if (!XQueryExtension(d, "XInputExtension", &opcode, &event, &error)) return false;
  int major = 2, minor = 0;
  return XIQueryVersion(d, &major, &minor) == Success && major >= 2;
}

int32_t TypeOf(int use) {
  switch (use) {
    case XISlavePointer:
      return 0;
    case XISlaveKeyboard:
      return 1;
    case XIFloatingSlave:
      return 2;
    default:
      return -1;  // master devices are not raw sources
  }
}

}  // namespace

bool RawInputAvailable() {
  DisplayUse d;
  return d.Get() && HasXInput2(d.Get());
}

bool ListRawInputDevices(int32_t type, std::vector<RawInputDevice>* out) {
  out->clear();
  DisplayUse d;
  if (!d.Get() || !HasXInput2(d.Get())) return false;
  int count = 0;
  XIDeviceInfo* devices = XIQueryDevice(d.Get(), XIAllDevices, &count);
  if (!devices) return false;
  int32_t wanted = type == 0 || type == 1 ? type : 2;
  for (int i = 0; i < count; ++i)
    if (TypeOf(devices[i].use) == wanted) out->push_back({devices[i].name ? devices[i].name : "", devices[i].deviceid});
  XIFreeDeviceInfo(devices);
  return true;
}

bool RegisterRawMouse() {
  Display* display = SharedDisplay();
  if (!display || !HasXInput2(display)) return false;
  unsigned char bits[XIMaskLen(XI_LASTEVENT)] = {};
  XISetMask(bits, XI_RawMotion);
  XIEventMask mask{XIAllMasterDevices, int(sizeof bits), bits};
  XISelectEvents(display, DefaultRootWindow(display), &mask, 1);
  XFlush(display);
  return true;
}

}  // namespace PM
