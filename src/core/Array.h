// Array<T>: one pointer to elements in a counted block (count and capacity in its header).
// Empty arrays point at the shared NullArray. Elements are moved bitwise when the block grows,
// so T must be trivially relocatable (plain values, String, Obj, Ptr, Array are).
#pragma once

#include <cstring>
#include <new>
#include <type_traits>
#include <typeinfo>
#include <utility>

#include "core/Block.h"
#include "core/Obj.h"
#include "core/String.h"

namespace PM {

// The name an array block's type record is registered under; headers of element types may specialise it.
template <class T>
inline const char* kArrayTypeName = nullptr;
template <>
inline const char* kArrayTypeName<bool> = "Array_Bool";
template <>
inline const char* kArrayTypeName<int32_t> = "Array_I32";
template <>
inline const char* kArrayTypeName<int64_t> = "Array_I64";
template <>
inline const char* kArrayTypeName<uint32_t> = "Array_U32";
template <>
inline const char* kArrayTypeName<uint64_t> = "Array_U64";
template <>
inline const char* kArrayTypeName<float> = "Array_F32";
template <>
inline const char* kArrayTypeName<double> = "Array_F64";
template <>
inline const char* kArrayTypeName<uint8_t> = "Array_U8";
template <>
inline const char* kArrayTypeName<uint16_t> = "Array_U16";
template <>
inline const char* kArrayTypeName<String> = "Array_String";

// Growth rule of a full array: (n/2 + n + 4) rounded down to a multiple of 4, in 64 bits and no further
// than the most a block holds; a full array of that many asks for one more, which Realloc refuses.
inline int64_t ArrayGrowCapacity(int64_t n) {
  if (n >= kMaxBlockCount) return n + 1;
  const int64_t grown = (n / 2 + n + 4) & ~int64_t(3);
  return grown < kMaxBlockCount ? grown : kMaxBlockCount;
}

template <class T>
class Array {
 public:
  static const TypeRecord& BlockType() {
    // NOLINTNEXTLINE(bugprone-sizeof-expression): an array of pointers holds pointers
    static TypeRecord t(kArrayTypeName<T> ? kArrayTypeName<T> : typeid(T).name(), sizeof(T), Destroy);
    return t;
  }

  Array() : m_data(static_cast<T*>(NullArrayPayload())) {}
  Array(const Array& o) : Array() { AssignStorage(o.m_data, o.Count()); }
  Array(Array&& o) noexcept : m_data(o.m_data) { o.m_data = static_cast<T*>(NullArrayPayload()); }
  Array(std::initializer_list<T> l) : Array() { AssignStorage(l.begin(), int(l.size())); }
  ~Array() { Drop(m_data); }

  // NOLINTNEXTLINE(bugprone-unhandled-self-assignment): takes the new reference first
  Array& operator=(const Array& o) {
    if (o.m_data != m_data) AssignStorage(o.m_data, o.Count());
    return *this;
  }
  Array& operator=(Array&& o) noexcept {
    std::swap(m_data, o.m_data);
    return *this;
  }

  int Count() const { return HeaderOf(m_data)->count; }
  int Capacity() const { return HeaderOf(m_data)->capacity; }
  bool IsEmpty() const { return Count() == 0; }
  T* Data() { return m_data; }
  const T* Data() const { return m_data; }
  T& operator[](int i) { return m_data[i]; }
  const T& operator[](int i) const { return m_data[i]; }
  T* begin() { return m_data; }
  T* end() { return m_data + Count(); }
  const T* begin() const { return m_data; }
  const T* end() const { return m_data + Count(); }
  T& Last() { return m_data[Count() - 1]; }
  bool SameBlock(const Array& o) const { return m_data == o.m_data; }

  // Copies `count` elements into a new block whose capacity equals the count.
  void AssignStorage(const T* elems, int count) {
    T* fresh = static_cast<T*>(BlockNewArray(count, count, &BlockType()));
    for (int i = 0; i < count; ++i) new (fresh + i) T(elems[i]);
    Replace(fresh);
  }

  // The common case stays inline and branch-light; growing is out of line.
  void Append(const T& v) {
    T* d = m_data;
    int n = HeaderOf(d)->count;
    if (__builtin_expect(n < HeaderOf(d)->capacity, 1)) {
      new (d + n) T(v);
    } else {
      AppendGrow(v, n);
      d = m_data;
    }
    // The count goes last, after the element and through m_data on both paths: the element store
    // cannot then delay the next append's read of the count.
    HeaderOf(d)->count = n + 1;
  }
  // Constructs the new last element from `args` (which may refer to elements of this array).
  template <class... A>
  T& Emplace(A&&... args) {
    int n = Count();
    if (__builtin_expect(n < Capacity(), 1)) {
      new (m_data + n) T(Make(std::forward<A>(args)...));
    } else {
      T made(Make(std::forward<A>(args)...));
      Realloc(ArrayGrowCapacity(n));
      new (m_data + n) T(std::move(made));
    }
    HeaderOf(m_data)->count = n + 1;
    return m_data[n];
  }
  // Makes room for one more element at the end and returns it for the caller to build in place, so
  // that no copy of it is written first and read back. The new element is left as the block had it:
  // the caller must fill every field that it or any later reader uses before the next change to the
  // array. Grows as Append does, out of line.
  T& AppendSlot() {
    static_assert(std::is_trivially_default_constructible_v<T> && std::is_trivially_destructible_v<T>,
                  "only plain records are filled in place");
    T* d = m_data;
    int n = HeaderOf(d)->count;
    if (__builtin_expect(n >= HeaderOf(d)->capacity, 0)) d = SlotGrow();
    HeaderOf(d)->count = n + 1;
    return d[n];
  }
  T& AppendNew() {
    Append(T());
    return Last();
  }

  void Insert(int index, const T& v) {
    int n = Count();
    if (index < 0) index = 0;
    if (index >= n) return Append(v);
    T copy(v);
    if (n == Capacity()) Realloc(ArrayGrowCapacity(n));
    Relocate(m_data + index + 1, m_data + index, size_t(n - index));
    new (m_data + index) T(std::move(copy));
    HeaderOf(m_data)->count = n + 1;
  }

  // Moves the elements bitwise into a new block of `capacity` (0 gives NullArray); never drops elements
  // below the count: the capacity is raised to the count if needed. A capacity past kMaxBlockCount is out
  // of memory, refused before anything moves.
  void Realloc(int64_t wanted) {
    int n = Count();
    // NOLINTNEXTLINE(bugprone-sizeof-expression): the element's size, a pointer's in arrays of pointers.
    int32_t capacity = BlockCheckedCount(wanted < n ? n : wanted, sizeof(T));
    if (capacity > 0 && HeaderOf(m_data)->capacity > 0 && BlockRefCount(m_data) == 1) {
      // Sole owner: the allocator may extend the block in place, which saves the copy.
      m_data = static_cast<T*>(BlockResizeArray(m_data, capacity));
      return;
    }
    T* fresh = static_cast<T*>(BlockNewArray(capacity, n, &BlockType()));
    HoldFresh(fresh);
    if (HeaderOf(m_data)->capacity > 0 && BlockRefCount(m_data) > 1) {
      // Another owner keeps the old block and its elements: copy them and give up only this reference.
      for (int i = 0; i < n; ++i) new (fresh + i) T(m_data[i]);
      Drop(m_data);
    } else {
      if (n > 0) Relocate(fresh, m_data, size_t(n));
      if (HeaderOf(m_data)->capacity > 0) BlockDelete(m_data);  // elements moved, only the block goes
    }
    m_data = fresh;
  }
  void Reserve(int capacity) {
    if (capacity > Capacity()) Realloc(capacity);
  }

  // Grows to at least `count` elements, new ones value-initialised (String: empty, Obj: nil); never shrinks.
  void Grow(int count) { GrowFill(count, T()); }
  void GrowTo(int count) { Grow(count); }
  void SetCountFill(int count, const T& fill) { GrowFill(count, fill); }

  // Sets the count; shrinking keeps the capacity and releases the dropped elements.
  void SetCount(int count) {
    if (count < 0) count = 0;
    int n = Count();
    if (count > n) return Grow(count);
    DestroyRange(count, n);
    HeaderOf(m_data)->count = count;
  }
  // Sets the count; when it must reallocate, the old contents are discarded rather than copied.
  void SetCountNoCopy(int count) {
    if (count > Capacity()) {
      Replace(static_cast<T*>(BlockNewArray(count, 0, &BlockType())));
    }
    SetCount(count);
  }

  // As SetCountNoCopy, but new elements are left unwritten: for element types without constructors, where
  // the caller writes every new element before any is read (a fill would only be overwritten).
  void SetCountForOverwrite(
      int count) requires std::is_trivially_default_constructible_v<T> && std::is_trivially_destructible_v<T> {
    if (count < 0) count = 0;
    if (count > Capacity()) Replace(static_cast<T*>(BlockNewArray(count, 0, &BlockType())));
    if (count != Count()) HeaderOf(m_data)->count = count;
  }

  void Clear() { Replace(static_cast<T*>(NullArrayPayload())); }

  // The one owner of a block whose last owner let it go: for the destroy function of a type record that
  // keeps such blocks for later instead of freeing them. The block keeps its type record.
  static Array TakeReleased(T* payload) {
    Array a;
    HoldFresh(payload);
    a.m_data = payload;
    return a;
  }

  // Removes `count` elements from `index` (clipped to the tail; -1 means to the end).
  void Remove(int index, int count = 1) {
    unsigned n = unsigned(Count());
    if (unsigned(index) >= n || count == 0) return;
    unsigned c = unsigned(count);
    if (c > n - unsigned(index)) c = n - unsigned(index);
    DestroyRange(index, index + int(c));
    Relocate(m_data + index, m_data + index + c, n - index - c);
    HeaderOf(m_data)->count = int(n - c);
  }

  // Removes one element and moves the last element into the gap (order is not kept).
  void RemoveAt(int index) {
    int n = Count();
    if (index < 0 || index >= n) return;
    m_data[index].~T();
    if (index != n - 1) Relocate(m_data + index, m_data + n - 1, 1);
    HeaderOf(m_data)->count = n - 1;
  }

  int Find(const T& v) const {
    for (int i = 0, n = Count(); i < n; ++i)
      if (m_data[i] == v) return i;
    return -1;
  }

 private:
  // Moves elements bitwise (the ranges may overlap): the elements are trivially relocatable (see above).
  static void Relocate(T* to, const T* from, size_t count) {
    // NOLINTNEXTLINE(bugprone-undefined-memory-manipulation,bugprone-sizeof-expression): see above
    std::memmove(static_cast<void*>(to), from, sizeof(T) * count);
  }
  // Aggregates are built with braces: clang 14 has no parenthesised aggregate initialisation.
  template <class... A>
  static T Make(A&&... args) {
    if constexpr (std::is_aggregate_v<T>)
      return T{std::forward<A>(args)...};
    else
      return T(std::forward<A>(args)...);
  }

  // Grows the full array of `n` elements and constructs `v` at index n; the caller sets the count.
  [[gnu::noinline]] void AppendGrow(const T& v, int n) {
    T copy(v);  // v may live in this array
    Realloc(ArrayGrowCapacity(Capacity()));
    new (m_data + n) T(std::move(copy));
  }
  [[gnu::noinline]] T* SlotGrow() {
    Realloc(ArrayGrowCapacity(Capacity()));
    return m_data;
  }
  static void Destroy(void* payload) {
    T* e = static_cast<T*>(payload);
    if constexpr (!std::is_trivially_destructible_v<T>)
      for (int i = HeaderOf(e)->count - 1; i >= 0; --i) e[i].~T();
    BlockDelete(e);
  }
  void DestroyRange(int from, int to) {
    if constexpr (!std::is_trivially_destructible_v<T>)
      for (int i = to - 1; i >= from; --i) m_data[i].~T();
  }
  void GrowFill(int count, const T& fill) {
    int n = Count();
    if (count <= n) return;
    T copy(fill);  // NOLINT(performance-unnecessary-copy-initialization): `fill` may live in this array
    if (count > Capacity()) {
      int64_t grown = ArrayGrowCapacity(Capacity());
      Realloc(count > grown ? count : grown);
    }
    // Through a local pointer: with stores free to alias the member, the loop would fetch it again for each
    // element and could not be vectorised.
    T* d = m_data;
    for (int i = n; i < count; ++i) new (d + i) T(copy);
    HeaderOf(d)->count = count;
  }
  // Takes a block just made (or NullArray) in place of the current one.
  void Replace(T* fresh) {
    HoldFresh(fresh);
    T* old = m_data;
    m_data = fresh;
    Drop(old);
  }
  // NullArray (the only block of capacity 0) is immortal: empty arrays skip counting it without even
  // reading its count.
  static void Drop(const T* p) {
    if (HeaderOf(p)->capacity) BlockReleaseArray(p);
  }
  // A block just made here: nobody else has seen it, so its first reference is a plain store.
  static void HoldFresh(const T* p) {
    if (HeaderOf(p)->capacity) HeaderOf(p)->refs.store(1, std::memory_order_relaxed);
  }

  T* m_data;
};

template <class T>
inline const char* kArrayTypeName<Obj<T>> = "Array_ScriptObject";

}  // namespace PM
