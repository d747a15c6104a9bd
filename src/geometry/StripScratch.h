// Working blocks of the stripifier, kept per thread from one call to the next (ScratchStore::ThisThreadWorking):
// a call on a mesh like the one before finds its blocks already mapped, where freeing them handed the pages back
// and the next call faulted every one in again, from the host as well once the pages had been handed on to it
// (on a mesh of a million triangles a call run a few seconds after the last took half again as long).
#pragma once

#include <cstddef>
#include <type_traits>

#include "geometry/LargePages.h"
#include "geometry/ScratchStore.h"

namespace PM {

// Raw blocks of the thread's working store. Take hands out the smallest kept block of at least `bytes` (else a
// new one, 64-byte aligned and, from 8 MB, asking for 2 MB pages), Give keeps a block under the store's rules,
// else frees it. Contents are left as they are.
struct StripScratch {
  static constexpr size_t kKeptBytes = ScratchStore::kWorkingRules.cap;
  static void* Take(size_t& bytes) {
    size_t got;
    bool fresh;
    void* block = ScratchStore::TakeFrom(ScratchStore::ThisThreadWorking(), bytes, got, fresh);
    if (fresh) AdviseLargePages(block, got);  // a large mesh's blocks fault in 2 MB at a time
    bytes = got;
    return block;
  }
  static void Give(void* block, size_t bytes) { ScratchStore::GiveTo(ScratchStore::ThisThreadWorking(), block, bytes); }
};

// A stripification's call on the thread's working store, a whole job (ScratchStore::Call).
class StripScratchCall : public ScratchStore::Call {
 public:
  StripScratchCall() : Call(ScratchStore::ThisThreadWorking(), kWholeJob) {}
};

// An array of the stripifier given room from the thread's working store, and given back to it.
template <class T>
void ReserveStripArray(Array<T>& a, int capacity) {
  ScratchStore::ReserveIn(ScratchStore::ThisThreadWorking(), a, capacity);
  AdviseReserved(a);
}
template <class T>
void KeepStripArray(Array<T>& a) {
  ScratchStore::KeepIn(ScratchStore::ThisThreadWorking(), a);
}

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
    if (m_bytes != 0) StripScratch::Give(m_data, m_bytes);
    m_data = nullptr;
    m_bytes = 0;
    if (count == 0) return;
    m_bytes = sizeof(T) * count;
    m_data = static_cast<T*>(StripScratch::Take(m_bytes));
  }
  // Drops the array held and holds room of a block another owns (a part of a call's working block): nothing is
  // given back for it.
  void Borrow(T* room) {
    Reset(0);
    m_data = room;
  }
  T* get() const { return m_data; }
  T* Data() const { return m_data; }
  T& operator[](size_t i) const { return m_data[i]; }

 private:
  T* m_data = nullptr;
  size_t m_bytes = 0;  // the block's size, at least what was asked for; 0 for borrowed room
};

}  // namespace PM
