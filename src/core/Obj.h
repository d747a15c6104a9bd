// Counted references: Obj (never null, empty holds the shared nil object), Ptr (may be null),
// and WeakObj over an object's WeakObjTarget, which reads nil once the object has died.
#pragma once

#include <new>
#include <type_traits>
#include <typeinfo>
#include <utility>

#include "core/Block.h"

namespace PM {

// The shared nil object: static, never freed, stands for "no object". The object model gives it
// its class (Nil) and its interface at start-up; until then it is an inert block.
void* NilObject();
inline bool IsNilObject(const void* p) { return p == NilObject(); }

// The weak target of an object: a counted block pointing back at the object, or at nil once it died.
struct WeakObjTarget {
  void* object;
};
WeakObjTarget* NilWeakTarget();
// The object's weak target, created on first use (lock-free); nil's is the nil target.
WeakObjTarget* BlockWeakTarget(const void* object);

// Never null: an empty Obj holds the nil object. T may be incomplete where only counting is needed.
template <class T>
class Obj {
 public:
  Obj() : m_p(static_cast<T*>(NilObject())) { BlockAddRef(m_p); }
  Obj(T* p) : m_p(p ? p : static_cast<T*>(NilObject())) { BlockAddRef(m_p); }  // NOLINT: implicit by design
  Obj(const Obj& o) : m_p(o.m_p) { BlockAddRef(m_p); }
  Obj(Obj&& o) noexcept : m_p(o.m_p) {
    o.m_p = static_cast<T*>(NilObject());
    BlockAddRef(o.m_p);
  }
  template <class U, class = std::enable_if_t<std::is_convertible_v<U*, T*>>>
  Obj(const Obj<U>& o) : m_p(o.Get()) {
    BlockAddRef(m_p);
  }  // NOLINT
  ~Obj() { BlockRelease(m_p); }

  // NOLINTNEXTLINE(bugprone-unhandled-self-assignment): takes the new reference first
  Obj& operator=(const Obj& o) {
    Assign(o.m_p);
    return *this;
  }
  Obj& operator=(Obj&& o) noexcept {
    std::swap(m_p, o.m_p);
    return *this;
  }
  Obj& operator=(T* p) {
    Assign(p ? p : static_cast<T*>(NilObject()));
    return *this;
  }

  T* Get() const { return m_p; }
  T* operator->() const { return m_p; }
  T& operator*() const { return *m_p; }
  operator T*() const { return m_p; }  // NOLINT
  bool IsNil() const { return IsNilObject(m_p); }
  void Clear() { Assign(static_cast<T*>(NilObject())); }
  // Takes over a pointer whose reference the caller already holds.
  void Attach(T* p) {
    BlockRelease(m_p);
    m_p = p ? p : static_cast<T*>(NilObject());
  }
  T* Detach() {
    T* p = m_p;
    m_p = static_cast<T*>(NilObject());
    BlockAddRef(m_p);
    return p;
  }

 private:
  void Assign(T* p) {  // the new reference first, so self-assignment is safe
    BlockAddRef(p);
    T* old = m_p;
    m_p = p;
    BlockRelease(old);
  }
  T* m_p;
};

// A counted reference that may be null.
template <class T>
class Ptr {
 public:
  Ptr() : m_p(nullptr) {}
  Ptr(T* p) : m_p(p) {
    if (m_p) BlockAddRef(m_p);
  }  // NOLINT
  Ptr(const Ptr& o) : m_p(o.m_p) {
    if (m_p) BlockAddRef(m_p);
  }
  Ptr(Ptr&& o) noexcept : m_p(o.m_p) { o.m_p = nullptr; }
  template <class U, class = std::enable_if_t<std::is_convertible_v<U*, T*>>>
  Ptr(const Ptr<U>& o) : m_p(o.Get()) {
    if (m_p) BlockAddRef(m_p);
  }  // NOLINT
  ~Ptr() {
    if (m_p) BlockRelease(m_p);
  }

  // NOLINTNEXTLINE(bugprone-unhandled-self-assignment): takes the new reference first
  Ptr& operator=(const Ptr& o) {
    Assign(o.m_p);
    return *this;
  }
  Ptr& operator=(Ptr&& o) noexcept {
    std::swap(m_p, o.m_p);
    return *this;
  }
  Ptr& operator=(T* p) {
    Assign(p);
    return *this;
  }

  T* Get() const { return m_p; }
  T* operator->() const { return m_p; }
  T& operator*() const { return *m_p; }
  operator T*() const { return m_p; }  // NOLINT
  explicit operator bool() const { return m_p != nullptr; }
  void Clear() { Assign(nullptr); }
  void Attach(T* p) {
    if (m_p) BlockRelease(m_p);
    m_p = p;
  }
  T* Detach() {
    T* p = m_p;
    m_p = nullptr;
    return p;
  }

 private:
  void Assign(T* p) {
    if (p) BlockAddRef(p);
    T* old = m_p;
    m_p = p;
    if (old) BlockRelease(old);
  }
  T* m_p;
};

// A counted reference to an object's weak target: Get() is the object while it lives, nil after.
template <class T>
class WeakObj {
 public:
  WeakObj() : m_t(NilWeakTarget()) {}
  WeakObj(const T* object) : m_t(BlockWeakTarget(object ? object : NilObject())) {}  // NOLINT
  WeakObj& operator=(const T* object) {
    m_t = BlockWeakTarget(object ? object : NilObject());
    return *this;
  }
  T* Get() const { return static_cast<T*>(m_t->object); }
  T* operator->() const { return Get(); }
  bool IsNil() const { return IsNilObject(m_t->object); }
  Obj<T> Lock() const { return Obj<T>(Get()); }

 private:
  Ptr<WeakObjTarget> m_t;
};

}  // namespace PM

namespace PM {

// The type record of a plain C++ class held in a counted block: destroy runs ~T, then frees the block.
template <class T>
const TypeRecord& CountedTypeOf() {
  static TypeRecord t(typeid(T).name(), sizeof(T), [](void* p) {
    static_cast<T*>(p)->~T();
    ObjBlockDestruct(p);
  });
  return t;
}

// A new T in a counted block, count 0 (the first owning reference makes it 1). Never null.
template <class T, class... A>
T* NewCounted(A&&... args) {
  return new (BlockNewObject(sizeof(T), &CountedTypeOf<T>())) T(std::forward<A>(args)...);
}

}  // namespace PM
