// Subdivision's use of the thread's store of large blocks (ScratchStore::ThisThread): levels and their working
// tables give their blocks up there, and the next step on the thread takes them with their pages in place.
#pragma once

#include <cstddef>
#include <utility>

#include "geometry/ScratchStore.h"

namespace PM {

using SubDivScratch = ScratchStore;

// Keeps `a` in this thread's store when there is one, else frees it.
template <class T>
void KeepSubDivScratch(Array<T>& a) {
  ScratchStore::KeepIn(SubDivScratch::ThisThread(), a);
}
template <class T>
void ReserveSubDivScratch(Array<T>& a, int capacity) {
  ScratchStore::ReserveIn(SubDivScratch::ThisThread(), a, capacity);
}
// Room for an array handed on to a caller who keeps it; its block comes back to the store when the caller
// lets it go (ScratchStore::ReserveReturning).
template <class T>
void ReserveReturningSubDivScratch(Array<T>& a, int capacity) {
  ScratchStore::ReserveReturning(a, capacity);
}

// A subdivision operation's call on this thread's store (ScratchStore::Call): made before the operation's
// buffers, so that they are back in the store when the call ends.
class SubDivScratchCall : public ScratchStore::Call {
 public:
  explicit SubDivScratchCall(Kind kind = kStep) : Call(SubDivScratch::ThisThread(), kind) {}
};

// Uninitialised room for `count` elements from the thread's store, given back when it goes.
template <class T>
class SubDivScratchBuffer {
 public:
  SubDivScratchBuffer() = default;
  explicit SubDivScratchBuffer(size_t count);
  ~SubDivScratchBuffer() { Free(); }
  SubDivScratchBuffer(SubDivScratchBuffer&& o) noexcept
      : m_data(std::exchange(o.m_data, nullptr)), m_bytes(std::exchange(o.m_bytes, 0)), m_fresh(o.m_fresh) {}
  SubDivScratchBuffer& operator=(SubDivScratchBuffer&& o) noexcept {
    if (this != &o) {
      Free();
      m_data = std::exchange(o.m_data, nullptr);
      m_bytes = std::exchange(o.m_bytes, 0);
      m_fresh = o.m_fresh;
    }
    return *this;
  }

  T* get() const { return m_data; }
  T& operator[](size_t i) const { return m_data[i]; }
  // Whether the room is new memory rather than a kept block.
  bool IsFresh() const { return m_fresh; }

 private:
  void Free();

  T* m_data = nullptr;
  size_t m_bytes = 0;
  bool m_fresh = true;
};

template <class T>
SubDivScratchBuffer<T>::SubDivScratchBuffer(size_t count) {
  static_assert(std::is_trivially_copyable_v<T> && alignof(T) <= ScratchStore::kAlign,
                "scratch room holds plain values");
  const size_t bytes = sizeof(T) * (count > 0 ? count : 1);
  m_data = static_cast<T*>(ScratchStore::TakeFrom(SubDivScratch::ThisThread(), bytes, m_bytes, m_fresh));
}

template <class T>
void SubDivScratchBuffer<T>::Free() {
  if (!m_data) return;
  ScratchStore::GiveTo(SubDivScratch::ThisThread(), m_data, m_bytes);
  m_data = nullptr;
}

}  // namespace PM
