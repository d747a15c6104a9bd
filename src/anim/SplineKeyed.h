// A spline over one array of keys of type Key: the key-time operations, the key operations every
// keyed spline offers (interface slots 6 to 11) and the member rows that expose one key field each.
#pragma once

#include <type_traits>

#include "anim/KeyCursor.h"
#include "anim/SplineBase.h"
#include "anim/SplineMath.h"
#include "core/Log.h"

namespace PM {

template <class Key>
class SplineKeyed : public SplineBase_I {
 public:
  using Value = std::remove_cvref_t<decltype(Key::value)>;

  void Evaluate(float t, float* out) override {
    const Key* keys = m_keys.begin();
    const int32_t n = m_keys.Count();
    if (n > 0) EvaluateLocated(keys, t, LocateInSegment(keys, n, t, m_cursor.Find(keys, n, t, m_keyVersion)), out);
  }
  // Reads outside the keys give 0 without a message: scripts probe past the end freely.
  float GetKeyTime(uint32_t, int32_t index) override {
    return index >= 0 && index < m_keys.Count() ? m_keys[index].time : 0.0f;
  }
  void SetKeyTime(uint32_t member, int32_t index, float time) override {
    if (Key* k = KeyForWrite(member, index)) k->time = time;
  }
  int32_t GetKeyTimeCount(uint32_t) override { return m_keys.Count(); }

  virtual void AppendKey(const Key& key) {
    m_keys.Append(key);
    Touch();
  }
  // Copies key `index` into out; an index outside the keys is refused with an Error line.
  virtual Key& GetKey(Key& out, int32_t index) {
    if (KeyIndexOk("GetKey", index, m_keys.Count())) out = m_keys[index];
    return out;
  }
  virtual void RemoveKey(int32_t index) {
    if (KeyIndexOk("RemoveKey", index, m_keys.Count())) RemoveKeyRange(index, 1);
  }
  // Inserts before key `index`; the key count appends.
  virtual void InsertKey(int32_t index, const Key& key) {
    if (!KeyIndexOk("InsertKey", index, m_keys.Count() + 1)) return;
    m_keys.Insert(index, key);
    Touch();
  }
  virtual void SetKey(int32_t index, const Key& key) {
    if (!KeyIndexOk("SetKey", index, m_keys.Count())) return;
    m_keys[index] = key;
    Touch();
  }
  virtual int32_t GetKeyCount() { return m_keys.Count(); }

  const Array<Key>& Keys() const { return m_keys; }
  uint32_t KeyVersion() const { return m_keyVersion; }

  // A member-table row: field F of every key as an indexed member of the field's value type. Set
  // past the end grows the keys with new keys, Size is the key count, Remove takes whole keys.
  template <auto F>
  static MemberDef KeyFieldMember(uint32_t id, const char* name, uint32_t flags = 0);

 protected:
  // Counts every change of the keys, so that derived classes know when their caches went stale.
  void Touch() { ++m_keyVersion; }

  // Key `index` for a write through a member: the keys grow up to it; a negative or huge index is
  // refused with the member's bad-index line.
  Key* KeyForWrite(uint32_t member, int32_t index) {
    if (!SetIndexOk(this, member, index, m_keys.Count())) return nullptr;
    if (index >= m_keys.Count()) m_keys.Grow(index + 1);
    Touch();
    return &m_keys[index];
  }
  // Removes `count` keys from `first`, clipped to the keys (a negative count reaches the end).
  void RemoveKeyRange(int32_t first, int32_t count) {
    if (first < 0 || first >= m_keys.Count() || count == 0) return;
    m_keys.Remove(first, count < 0 ? m_keys.Count() - first : count);
    Touch();
  }
  // Sorts keys first..last by time, the bounds clamped to the keys.
  void SortKeyRangeOf(int32_t first, int32_t last) {
    first = std::max(first, 0);
    last = std::min(last, m_keys.Count() - 1);
    if (last <= first) return;
    SortKeysByTime(m_keys.begin() + first, m_keys.begin() + last + 1);
    Touch();
  }
  int32_t FindSegmentOf(float t) const { return FindKeySegment(m_keys.begin(), m_keys.Count(), t); }
  bool KeyIndexOk(const char* op, int32_t index, int32_t end) const {
    if (index >= 0 && index < end) return true;
    LogError(GetClassName(), "::", op, ": key ", index, " is outside the ", m_keys.Count(), " keys.");
    return false;
  }

  Array<Key> m_keys;
  uint32_t m_keyVersion = 0;
  KeyCursor m_cursor;  // where Evaluate found its segment last time

 private:
  template <auto F>
  struct FieldAccess;
};

template <class Key>
template <auto F>
struct SplineKeyed<Key>::FieldAccess {
  using V = std::remove_cvref_t<decltype(std::declval<Key&>().*F)>;
  using Tag = TagOf<V>;
  using TV = typename Tag::Value;
  static SplineKeyed& Self(ScriptObject* o) { return *static_cast<SplineKeyed*>(o); }
  static TV ReadAt(ScriptObject* o, uint32_t, int32_t i) {
    const Array<Key>& keys = Self(o).m_keys;
    return i >= 0 && i < keys.Count() ? TV(keys[i].*F) : TV{};
  }
  static void WriteAt(ScriptObject* o, uint32_t m, int32_t i, const TV& v) {
    if (Key* k = Self(o).KeyForWrite(m, i)) k->*F = V(v);
  }
  static int32_t Count(ScriptObject* o) { return Self(o).m_keys.Count(); }
  static void Remove(ScriptObject* o, int32_t first, int32_t count) { Self(o).RemoveKeyRange(first, count); }
};

template <class Key>
template <auto F>
MemberDef SplineKeyed<Key>::KeyFieldMember(uint32_t id, const char* name, uint32_t flags) {
  using Acc = FieldAccess<F>;
  using Th = IndexedThunks<typename Acc::Tag, Acc>;
  return MakeMemberDef<typename Acc::Tag, kShapeIndexed>(id, name, flags | kShapeIndexed, Th::GetFn(), Th::SetFn(),
                                                         EraseFn(&Th::Size), EraseFn(&Th::Remove));
}

extern template class SplineKeyed<KeyScalarf>;
extern template class SplineKeyed<KeyVector2f>;
extern template class SplineKeyed<KeyVector3f>;
extern template class SplineKeyed<KeyVector4f>;
extern template class SplineKeyed<KeyQuaternionf>;

}  // namespace PM
