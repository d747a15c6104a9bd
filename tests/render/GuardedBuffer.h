// A buffer that ends right before a page nothing may touch: a write or read past its last byte faults at
// once (SIGSEGV) instead of landing in the heap, where only a later allocation would notice. For code the
// sanitizers do not see, such as FFmpeg's vector routines.
#pragma once

#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>

namespace PM::Test {

class GuardedBuffer {
 public:
  explicit GuardedBuffer(size_t bytes) {
    const size_t page = size_t(sysconf(_SC_PAGESIZE));
    const size_t span = (bytes + page - 1) / page * page;
    m_size = span + page;
    void* base = mmap(nullptr, m_size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (base == MAP_FAILED) return;
    m_base = static_cast<uint8_t*>(base);
    if (mprotect(m_base + span, page, PROT_NONE) != 0) {
      munmap(m_base, m_size);
      m_base = nullptr;
      return;
    }
    m_data = m_base + span - bytes;
  }
  ~GuardedBuffer() {
    if (m_base) munmap(m_base, m_size);
  }
  GuardedBuffer(const GuardedBuffer&) = delete;
  GuardedBuffer& operator=(const GuardedBuffer&) = delete;

  // Null when the pages could not be had.
  uint8_t* Data() const { return m_data; }

 private:
  uint8_t* m_base = nullptr;
  uint8_t* m_data = nullptr;
  size_t m_size = 0;
};

}  // namespace PM::Test
