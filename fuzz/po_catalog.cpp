// The PO catalogue reader on arbitrary bytes.
#include <cstddef>
#include <cstdint>

#include "core/Log.h"
#include "core/MessageCatalog.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  PM::g_LogLevel = 7;  // refusals are expected; keep the run quiet
  PM::MessageCatalog catalog;
  if (catalog.Parse(reinterpret_cast<const char*>(data), size, "fuzz.po")) {
    catalog.Find("");
    catalog.Find("a");
  }
  return 0;
}
