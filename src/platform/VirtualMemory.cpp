#include "platform/VirtualMemory.h"

#include <sys/mman.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>

#include "platform/LastError.h"

namespace PM {

namespace {

// The page-aligned span that covers [address, address + size).
bool PageSpan(void* address, size_t size, void*& begin, size_t& length) {
  if (address == nullptr || size == 0) {
    SetLastErrorCode(EINVAL);
    return false;
  }
  uintptr_t page = VirtualPageSize();
  uintptr_t first = uintptr_t(address) & ~(page - 1);
  uintptr_t last = (uintptr_t(address) + size + page - 1) & ~(page - 1);
  begin = static_cast<char*>(address) - (uintptr_t(address) - first);
  length = last - first;
  return true;
}

}  // namespace

size_t VirtualPageSize() {
  static const size_t page = size_t(sysconf(_SC_PAGESIZE));
  return page;
}

void* VirtualReserve(size_t size) {
  if (size == 0) {
    SetLastErrorCode(EINVAL);
    return nullptr;
  }
  void* p = mmap(nullptr, size, PROT_NONE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
  if (p == MAP_FAILED) {
    SetLastErrorFromErrno();
    return nullptr;
  }
  return p;
}

bool VirtualCommit(void* address, size_t size) {
  void* begin;
  size_t length;
  if (!PageSpan(address, size, begin, length)) return false;
  if (mprotect(begin, length, PROT_READ | PROT_WRITE) != 0) {
    SetLastErrorFromErrno();
    return false;
  }
  return true;
}

bool VirtualDecommit(void* address, size_t size) {
  void* begin;
  size_t length;
  if (!PageSpan(address, size, begin, length)) return false;
  // Dropping the pages makes a later commit see zeros again, as a fresh commit should.
  if (madvise(begin, length, MADV_DONTNEED) != 0 || mprotect(begin, length, PROT_NONE) != 0) {
    SetLastErrorFromErrno();
    return false;
  }
  return true;
}

bool VirtualRelease(void* address, size_t size) {
  void* begin;
  size_t length;
  if (!PageSpan(address, size, begin, length)) return false;
  if (munmap(begin, length) != 0) {
    SetLastErrorFromErrno();
    return false;
  }
  return true;
}

void* VirtualAllocCommitted(size_t size) {
  void* p = VirtualReserve(size);
  if (p && !VirtualCommit(p, size)) {
    uint32_t code = GetLastErrorCode();
    VirtualRelease(p, size);
    SetLastErrorCode(code);
    return nullptr;
  }
  return p;
}

}  // namespace PM
