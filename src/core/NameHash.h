// NameHash: the engine's name-keyed table of counted object values, and the script language's hash.
// It is a counted reference to an array of bucket arrays, shared between values and made unique
// before a write. Bucket = key hash modulo the bucket count; iteration runs bucket by bucket.
#pragma once

#include "core/Array.h"
#include "core/Obj.h"
#include "core/String.h"

namespace PM {

class ScriptObject;

struct NameHashEntry {
  uint32_t hash;
  uint32_t id;  // free for the owner's use; 0 unless set
  String name;
  Obj<ScriptObject> value;
};
template <>
inline const char* kArrayTypeName<NameHashEntry> = "Array_NameHashEntry";
using NameHashBucket = Array<NameHashEntry>;
template <>
inline const char* kArrayTypeName<NameHashBucket> = "Array_NameHashBucket";

class NameHash {
 public:
  static constexpr int kFirstBuckets = 4;
  static constexpr int kMaxBuckets = 4096;
  static constexpr int kSplitAt = 4;  // entries in one bucket that double the bucket count

  NameHash();
  NameHash(const NameHash& o);
  NameHash(NameHash&& o) noexcept;
  ~NameHash();
  NameHash& operator=(const NameHash& o);
  NameHash& operator=(NameHash&& o) noexcept;

  bool IsEmpty() const { return Count() == 0; }
  int Count() const;
  int BucketCount() const { return HeaderOf(m_buckets)->count; }
  const NameHashBucket& Bucket(int i) const { return m_buckets[i]; }
  bool SharesWith(const NameHash& o) const { return m_buckets == o.m_buckets; }

  // The entry of `name`, or null. Buckets are searched from their last entry to the first.
  const NameHashEntry* FindEntry(uint32_t hash, const String& name) const {
    int nb = BucketCount();
    if (!nb) return nullptr;
    const NameHashBucket& bucket = m_buckets[hash & unsigned(nb - 1)];  // bucket counts are powers of two
    const NameHashEntry* first = bucket.Data();
    for (const NameHashEntry* e = first + bucket.Count(); e != first;) {
      --e;
      if (e->hash == hash && String::Equals(e->name, name)) return e;
    }
    return nullptr;
  }
  const NameHashEntry* FindEntry(const String& name) const { return FindEntry(name.GetHash(), name); }
  // The value of `name`, or null when absent.
  ScriptObject* Find(const String& name) const;

  // Stores `value` under `name`, replacing the value of an equal name.
  void Set(uint32_t hash, const String& name, ScriptObject* value);
  void Set(const String& name, ScriptObject* value) { Set(name.GetHash(), name, value); }
  bool Remove(uint32_t hash, const String& name);
  bool Remove(const String& name) { return Remove(name.GetHash(), name); }
  void Clear();

  // this = a shared; then every entry of b is inserted, so b wins on equal keys. An empty a gives b.
  void AssignMerged(const NameHash& a, const NameHash& b);

  // Visits every entry in bucket order, then entry order (the printed order of a hash).
  template <class F>
  void ForEach(F&& f) const {
    for (int b = 0, nb = BucketCount(); b < nb; ++b)
      for (const NameHashEntry& e : m_buckets[b]) f(e);
  }

 private:
  void MakeUnique();
  void Split();               // doubles the bucket count
  NameHashBucket* m_buckets;  // payload of a counted block of buckets; NullArray when empty
};

}  // namespace PM
