// Asks the kernel to back the large arrays of a subdivision step with 2 MB pages: a fresh level of
// hundreds of megabytes otherwise faults in 4 KB at a time, and the faults cost more than the writes.
#pragma once

#include <cstddef>

namespace PM {

// A hint for the whole 2 MB pages inside [data, data + bytes), given before they are first written;
// ranges under the size rule are left alone. Changes no value.
void AdviseSubDivLargePages(const void* data, size_t bytes);

}  // namespace PM
