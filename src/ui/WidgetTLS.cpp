#include "ui/WidgetTLS.h"

#include <memory>

#include "core/Module.h"

namespace PM {

namespace {

// One record per thread and no shared count or slot: first requests on several threads never meet,
// and a thread that ends without ExitWidgetTLS frees its record with its other thread-local state.
thread_local std::unique_ptr<WidgetTLS> t_record;

const bool g_hookRegistered = (RegisterThreadHook(kThreadWidgets, "ExitWidgetTLS", &ExitWidgetTLS), true);

}  // namespace

WidgetTLS& WidgetTLS::Get() {
  if (!t_record) t_record = std::make_unique<WidgetTLS>();
  return *t_record;
}

WidgetTLS* WidgetTLS::Find() { return t_record.get(); }

void ExitWidgetTLS() { t_record.reset(); }

}  // namespace PM
