#include "ui/WidgetTLS.h"

#include "core/StartUp.h"

namespace PM {

namespace {

// One record per thread and no shared count or slot: first requests on several threads never meet,
// and a thread that ends without ExitWidgetTLS frees its record with its other thread-local state. The
// pointer itself has no destructor, so ExitWidgetTLS called after the thread's destructors (a library
// shut down from atexit) finds it null instead of a freed record.
thread_local WidgetTLS* t_record = nullptr;

struct RecordRelease {
  ~RecordRelease() { ExitWidgetTLS(); }
};
thread_local RecordRelease t_release;

const bool g_hookRegistered = (RegisterThreadHook(kThreadWidgets, "ExitWidgetTLS", &ExitWidgetTLS), true);

}  // namespace

WidgetTLS& WidgetTLS::Get() {
  if (!t_record) {
    t_record = new WidgetTLS;
    (void)&t_release;  // registers the thread's release
  }
  return *t_record;
}

WidgetTLS* WidgetTLS::Find() { return t_record; }

void ExitWidgetTLS() {
  WidgetTLS* record = t_record;
  t_record = nullptr;
  delete record;
}

}  // namespace PM
