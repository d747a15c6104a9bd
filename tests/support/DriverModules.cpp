#include "support/DriverModules.h"

#include <dlfcn.h>
#include <link.h>

#include <cstring>

namespace PM::Test {

void PinDriverModules() {
  dl_iterate_phdr(
      [](dl_phdr_info* info, size_t, void*) {
        // RTLD_NOLOAD finds the loaded driver, RTLD_NODELETE keeps it past Mesa's own dlclose.
        if (info->dlpi_name && std::strstr(info->dlpi_name, "_dri.so"))
          dlopen(info->dlpi_name, RTLD_LAZY | RTLD_NOLOAD | RTLD_NODELETE);
        return 0;
      },
      nullptr);
}

}  // namespace PM::Test
