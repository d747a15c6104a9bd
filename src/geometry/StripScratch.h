// Working blocks of the stripifier, kept per thread from one call to the next: a call on a mesh like the one
// before finds its blocks already mapped, where freeing them handed the pages back and the next call faulted
// every one in again (a tenth of a call's time on a 70,000-triangle mesh).
#pragma once

#include <cstddef>
#include <type_traits>

namespace PM {

// The thread's kept blocks. Take hands out the smallest kept block of at least `bytes` (else a new one), Give
// keeps a block while the thread keeps fewer than kKeptBytes, else frees it. Contents are left as they are.
struct StripScratch {
  static constexpr size_t kKeptBytes = size_t(64) << 20;
  static void* Take(size_t& bytes);
  static void Give(void* block, size_t bytes);
};

// An array of `count` elements in a kept block, left unset: every user writes an element before reading it.
template <class T>
class StripBlock {
  static_assert(std::is_trivially_destructible_v<T> && std::is_trivially_default_constructible_v<T>);

 public:
  StripBlock() = default;
  ~StripBlock() { Reset(0); }
  StripBlock(const StripBlock&) = delete;
  StripBlock& operator=(const StripBlock&) = delete;

  // Drops the array held and, when count > 0, takes one of `count` elements.
  void Reset(size_t count) {
    if (m_data != nullptr) StripScratch::Give(m_data, m_bytes);
    m_data = nullptr;
    m_bytes = 0;
    if (count == 0) return;
    m_bytes = sizeof(T) * count;
    m_data = static_cast<T*>(StripScratch::Take(m_bytes));
  }
  T* get() const { return m_data; }
  T& operator[](size_t i) const { return m_data[i]; }

 private:
  T* m_data = nullptr;
  size_t m_bytes = 0;  // the block's size, at least what was asked for
};

}  // namespace PM
