// Page-granular memory blocks: address space is reserved, then committed (zero-filled, read-write),
// decommitted and released. Failures set the last error and return null or false.
#pragma once

#include <cstddef>

namespace PM {

size_t VirtualPageSize();
void* VirtualReserve(size_t size);
bool VirtualCommit(void* address, size_t size);
bool VirtualDecommit(void* address, size_t size);
// Releases a whole reservation: `address` and `size` as VirtualReserve gave and took them.
bool VirtualRelease(void* address, size_t size);
// Reserves and commits in one step.
void* VirtualAllocCommitted(size_t size);

}  // namespace PM
