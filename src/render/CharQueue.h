// The characters typed into a pipe's window and not yet taken by the host: a ring of fixed size,
// so a host that never takes them costs no more memory and each take costs the same.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace PM {

class CharQueue {
 public:
  static constexpr int32_t kCapacity = 1024;

  // False when the queue is full: the character is dropped.
  bool Push(uint32_t c) {
    if (m_count == kCapacity) return false;
    m_ring[size_t((m_first + m_count) % kCapacity)] = c;
    ++m_count;
    return true;
  }
  // The oldest character, or 0 when there is none.
  uint32_t Pop() {
    if (m_count == 0) return 0;
    const uint32_t c = m_ring[size_t(m_first)];
    m_first = (m_first + 1) % kCapacity;
    --m_count;
    return c;
  }
  void Clear() { m_first = m_count = 0; }
  int32_t Count() const { return m_count; }

 private:
  std::array<uint32_t, kCapacity> m_ring{};
  int32_t m_first = 0, m_count = 0;
};

}  // namespace PM
