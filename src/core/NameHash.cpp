#include "core/NameHash.h"

namespace PM {

static const TypeRecord& BucketsType() { return Array<NameHashBucket>::BlockType(); }

static NameHashBucket* NewBuckets(int n) {
  auto* b = static_cast<NameHashBucket*>(BlockNewArray(n, n, &BucketsType()));
  for (int i = 0; i < n; ++i) new (b + i) NameHashBucket();
  BlockAddRef(b);
  return b;
}

NameHash::NameHash() : m_buckets(static_cast<NameHashBucket*>(NullArrayPayload())) { BlockAddRef(m_buckets); }
NameHash::NameHash(const NameHash& o) : m_buckets(o.m_buckets) { BlockAddRef(m_buckets); }
NameHash::NameHash(NameHash&& o) noexcept : NameHash() { std::swap(m_buckets, o.m_buckets); }
NameHash::~NameHash() { BlockRelease(m_buckets); }

NameHash& NameHash::operator=(const NameHash& o) {
  BlockAddRef(o.m_buckets);
  BlockRelease(m_buckets);
  m_buckets = o.m_buckets;
  return *this;
}
NameHash& NameHash::operator=(NameHash&& o) noexcept {
  std::swap(m_buckets, o.m_buckets);
  return *this;
}

int NameHash::Count() const {
  int n = 0;
  for (int b = 0, nb = BucketCount(); b < nb; ++b) n += m_buckets[b].Count();
  return n;
}

const NameHashEntry* NameHash::FindEntry(uint32_t hash, const String& name) const {
  int nb = BucketCount();
  if (!nb) return nullptr;
  const NameHashBucket& bucket = m_buckets[hash % unsigned(nb)];
  for (int i = bucket.Count() - 1; i >= 0; --i) {
    const NameHashEntry& e = bucket[i];
    if (e.hash == hash && String::Equals(e.name, name)) return &e;
  }
  return nullptr;
}

ScriptObject* NameHash::Find(const String& name) const {
  const NameHashEntry* e = FindEntry(name);
  return e ? e->value.Get() : nullptr;
}

void NameHash::MakeUnique() {
  if (BlockRefCount(m_buckets) <= 1) return;
  int n = BucketCount();
  auto* fresh = static_cast<NameHashBucket*>(BlockNewArray(n, n, &BucketsType()));
  for (int i = 0; i < n; ++i) new (fresh + i) NameHashBucket(m_buckets[i]);
  BlockAddRef(fresh);
  BlockRelease(m_buckets);
  m_buckets = fresh;
}

void NameHash::Rehash(int buckets) {
  NameHashBucket* fresh = NewBuckets(buckets);
  for (int b = 0, nb = BucketCount(); b < nb; ++b)
    for (const NameHashEntry& e : m_buckets[b]) fresh[e.hash % unsigned(buckets)].Append(e);
  BlockRelease(m_buckets);
  m_buckets = fresh;
}

void NameHash::Set(uint32_t hash, const String& name, ScriptObject* value) {
  Obj<ScriptObject> keep(value);  // the value may be held only by the entry it replaces
  MakeUnique();
  if (BucketCount() == 0) {
    BlockRelease(m_buckets);
    m_buckets = NewBuckets(kFirstBuckets);
  }
  int nb = BucketCount();
  NameHashBucket& bucket = m_buckets[hash % unsigned(nb)];
  for (int i = bucket.Count() - 1; i >= 0; --i) {
    NameHashEntry& e = bucket[i];
    if (e.hash == hash && String::Equals(e.name, name)) {
      e.value = keep;
      return;
    }
  }
  bucket.Append(NameHashEntry{hash, 0, name, keep});
  if (bucket.Count() >= kSplitAt && nb < kMaxBuckets) Rehash(nb * 2);
}

bool NameHash::Remove(uint32_t hash, const String& name) {
  if (!FindEntry(hash, name)) return false;
  MakeUnique();
  NameHashBucket& bucket = m_buckets[hash % unsigned(BucketCount())];
  for (int i = bucket.Count() - 1; i >= 0; --i) {
    if (bucket[i].hash == hash && String::Equals(bucket[i].name, name)) {
      bucket.RemoveAt(i);
      return true;
    }
  }
  return false;
}

void NameHash::Clear() { *this = NameHash(); }

void NameHash::AssignMerged(const NameHash& a, const NameHash& b) {
  NameHash result(a.IsEmpty() ? b : a);
  if (!a.IsEmpty() && !b.IsEmpty()) b.ForEach([&](const NameHashEntry& e) { result.Set(e.hash, e.name, e.value); });
  *this = std::move(result);
}

}  // namespace PM
