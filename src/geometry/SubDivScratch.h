// A per-thread store of the large blocks that subdivision levels and their working tables give up, kept
// for the next step on the same thread. The kernel zeroes every page of a fresh block on its first touch,
// and for a level of hundreds of megabytes that costs more than the step's own writes; a kept block's
// pages are already there. The store holds at most Cap() bytes (the oldest blocks go first) and
// Release() hands everything back.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

#include "core/Array.h"

namespace PM {

class SubDivScratch {
 public:
  // Smaller blocks are left to the allocator, which reuses them well enough.
  static constexpr size_t kKeepFrom = size_t(256) << 10;
  static constexpr size_t kDefaultCap = size_t(640) << 20;

  // This thread's store; nullptr while the thread is ending and its store is gone.
  static SubDivScratch* ThisThread();
  // Frees the blocks this thread's store keeps, if it has one; every DLLDeInitialize of the thread
  // does this.
  static void ReleaseThisThread();

  // Gives the empty array `a` room for at least `capacity` elements: a kept block of that kind when
  // one fits (no more than twice the room), else a fresh one.
  template <class T>
  void Reserve(Array<T>& a, int capacity);
  // Takes a's block for later when it is large and `a` holds its only reference; `a` is left empty.
  template <class T>
  void Keep(Array<T>& a);

  // Raw room of at least `bytes`, uninitialised (a kept block holds what it last held); `got` is the
  // room given and `fresh` tells whether it is new memory.
  void* TakeBytes(size_t bytes, size_t& got, bool& fresh);
  // Takes raw room from TakeBytes (or ::operator new) back; small or unkept room is freed.
  void KeepBytes(void* data, size_t bytes);

  size_t KeptBytes() const { return m_kept; }
  size_t KeptBlocks() const { return m_blocks.size(); }
  size_t Cap() const { return m_cap; }
  // A new cap; blocks over it are freed at once, the oldest first. 0 keeps nothing.
  void SetCap(size_t bytes);
  // Frees every kept block.
  void Release() { Trim(0); }

  SubDivScratch() = default;
  ~SubDivScratch();
  SubDivScratch(const SubDivScratch&) = delete;
  SubDivScratch& operator=(const SubDivScratch&) = delete;

 private:
  struct Block {
    virtual ~Block() = default;
    const void* kind = nullptr;  // the element type's tag, or nullptr for raw room
    size_t bytes = 0;
  };
  template <class T>
  struct ArrayBlock final : Block {
    Array<T> array;
  };
  struct RawBlock final : Block {
    void* data = nullptr;
    ~RawBlock() override { ::operator delete(data); }
  };
  template <class T>
  static const void* KindOf() {
    static const char tag = 0;
    return &tag;
  }

  // The smallest kept block of `kind` with room for `bytes` and no more than twice that, taken out of
  // the store; nullptr when none fits.
  std::unique_ptr<Block> Take(const void* kind, size_t bytes);
  void Add(std::unique_ptr<Block> block);
  void Trim(size_t cap);

  std::vector<std::unique_ptr<Block>> m_blocks;
  size_t m_kept = 0;
  size_t m_cap = kDefaultCap;
};

template <class T>
void SubDivScratch::Reserve(Array<T>& a, int capacity) {
  const size_t bytes = sizeof(T) * size_t(capacity > 0 ? capacity : 0);
  if (a.IsEmpty() && a.Capacity() == 0 && bytes >= kKeepFrom) {
    if (std::unique_ptr<Block> b = Take(KindOf<T>(), bytes)) a = std::move(static_cast<ArrayBlock<T>&>(*b).array);
  }
  a.Reserve(capacity);
}

template <class T>
void SubDivScratch::Keep(Array<T>& a) {
  const size_t bytes = sizeof(T) * size_t(a.Capacity());
  static_assert(std::is_trivially_destructible_v<T>, "kept arrays hold plain records");
  if (bytes < kKeepFrom || bytes > m_cap || BlockRefCount(a.Data()) != 1) {
    a.Clear();
    return;
  }
  auto b = std::make_unique<ArrayBlock<T>>();
  a.SetCount(0);
  b->array = std::move(a);
  b->kind = KindOf<T>();
  b->bytes = bytes;
  Add(std::move(b));
}

// Keeps `a` in this thread's store when there is one, else frees it.
template <class T>
void KeepSubDivScratch(Array<T>& a) {
  if (SubDivScratch* s = SubDivScratch::ThisThread())
    s->Keep(a);
  else
    a.Clear();
}
template <class T>
void ReserveSubDivScratch(Array<T>& a, int capacity) {
  if (SubDivScratch* s = SubDivScratch::ThisThread())
    s->Reserve(a, capacity);
  else
    a.Reserve(capacity);
}

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
  static_assert(std::is_trivially_copyable_v<T> && alignof(T) <= __STDCPP_DEFAULT_NEW_ALIGNMENT__,
                "scratch room holds plain values");
  const size_t bytes = sizeof(T) * (count > 0 ? count : 1);
  void* data;
  if (SubDivScratch* s = SubDivScratch::ThisThread()) {
    data = s->TakeBytes(bytes, m_bytes, m_fresh);
  } else {
    data = ::operator new(bytes);
    m_bytes = bytes;
  }
  m_data = static_cast<T*>(data);
}

template <class T>
void SubDivScratchBuffer<T>::Free() {
  if (!m_data) return;
  if (SubDivScratch* s = SubDivScratch::ThisThread())
    s->KeepBytes(m_data, m_bytes);
  else
    ::operator delete(m_data);
  m_data = nullptr;
}

}  // namespace PM
