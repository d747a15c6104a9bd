// Asks the kernel to back large working arrays with 2 MB pages: a fresh subdivision level or a large mesh's
// stripifier arrays of hundreds of megabytes otherwise fault in 4 KB at a time, and the faults cost more
// than the writes.
#pragma once

#include <cstddef>

#include "core/Array.h"

namespace PM {

// A hint for the whole 2 MB pages inside [data, data + bytes), given before they are first written;
// ranges under the size rule are left alone. Changes no value.
void AdviseLargePages(const void* data, size_t bytes);

// Maps in the whole pages inside [data, data + bytes) in one call, before a sweep writes them: the
// geometry's output arrays come fresh from the allocator whenever their last owner gave them back, and
// faulting them in one 4 KB page at a time cost more than writing them. Ranges under the size rule are
// left alone. Changes no value.
void PopulateForWrite(const void* data, size_t bytes);

// The hint for the room of `count` elements at `data`, or for the room an array has reserved.
template <class T>
void AdviseReserved(const T* data, size_t count) {
  AdviseLargePages(data, sizeof(T) * count);
}
template <class T>
void AdviseReserved(const Array<T>& a) {
  AdviseReserved(a.Data(), size_t(a.Capacity()));
}

}  // namespace PM
