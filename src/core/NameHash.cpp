#include "core/NameHash.h"

namespace PM {

static const TypeRecord& BucketsType() { return Array<NameHashBucket>::BlockType(); }

// A bucket's first block holds one entry fewer than a split needs: its size then stays in the
// allocator's fast bins (a full bucket of kSplitAt would not).
static constexpr int kFirstCapacity = NameHash::kSplitAt - 1;

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

// NOLINTNEXTLINE(bugprone-unhandled-self-assignment): takes the new reference first
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

// Entries of old bucket i go to bucket i or i + n, keeping their order, which is exactly what re-inserting
// every entry in iteration order gives. Entries move bitwise, so no count changes on the way.
void NameHash::Split() {
  int n = BucketCount();
  if (BlockRefCount(m_buckets) > 1) MakeUnique();
  m_buckets = static_cast<NameHashBucket*>(BlockResizeArray(m_buckets, 2 * n));
  const unsigned high = unsigned(n);
  // Each bucket's entries are a block of their own somewhere in the heap: ask for the headers of the
  // buckets a few visits ahead, or every visit waits for one.
  constexpr int kAhead = 8;
  for (int i = 0; i < n; ++i) {
    if (i + kAhead < n) __builtin_prefetch(HeaderOf(m_buckets[i + kAhead].Data()), 1, 3);
    NameHashBucket& low = m_buckets[i];
    new (m_buckets + n + i) NameHashBucket();
    int count = low.Count(), moving = 0;
    for (const NameHashEntry& e : low) moving += (e.hash & high) != 0;
    if (!moving) continue;
    NameHashBucket& up = m_buckets[n + i];
    up.Reserve(moving > kFirstCapacity ? moving : kFirstCapacity);
    NameHashEntry* from = low.Data();
    NameHashEntry* to = up.Data();
    int kept = 0;
    for (int k = 0; k < count; ++k) {
      void* target = (from[k].hash & high) ? static_cast<void*>(to++) : static_cast<void*>(from + kept++);
      if (target != from + k) std::memcpy(target, static_cast<void*>(from + k), sizeof(NameHashEntry));
    }
    HeaderOf(low.Data())->count = kept;
    HeaderOf(up.Data())->count = moving;
  }
  HeaderOf(m_buckets)->count = 2 * n;
}

void NameHash::Set(uint32_t hash, const String& name, ScriptObject* value) {
  MakeUnique();
  if (BucketCount() == 0) {
    BlockRelease(m_buckets);
    m_buckets = NewBuckets(kFirstBuckets);
  }
  int nb = BucketCount();
  NameHashBucket& bucket = m_buckets[hash & unsigned(nb - 1)];
  NameHashEntry* first = bucket.Data();
  for (NameHashEntry* e = first + bucket.Count(); e != first;) {
    --e;
    if (e->hash == hash && String::Equals(e->name, name)) {
      e->value = value;  // takes the new reference before dropping the old one
      return;
    }
  }
  if (bucket.IsEmpty()) bucket.Reserve(kFirstCapacity);
  // Built where it goes: a temporary entry moved in would count the name, the value and the nil object it
  // leaves behind up and down again, each an atomic operation.
  bucket.Emplace(hash, 0u, name, value);
  if (bucket.Count() >= kSplitAt && nb < kMaxBuckets) Split();
}

bool NameHash::Remove(uint32_t hash, const String& name) {
  if (!FindEntry(hash, name)) return false;
  MakeUnique();
  NameHashBucket& bucket = m_buckets[hash & unsigned(BucketCount() - 1)];
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
