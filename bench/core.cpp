// Counted memory against the standard library doing the same work in the same run.
// NameHashSet inserts String keys, whose hash is computed once and kept in the string; StdMapSet hashes
// each std::string key on every insert, and StdMapSetCachedHash, the like-for-like peer, inserts keys
// that carry a hash computed once, as ours do. Both std maps own copies of their keys; NameHash shares
// the counted strings.
#include <benchmark/benchmark.h>

#include <string>
#include <unordered_map>
#include <vector>

#include "core/Array.h"
#include "core/NameHash.h"
#include "core/String.h"

using namespace PM;

static const char* kText = "Scene/Characters/Hero/Geometry";

static void StringCopy(benchmark::State& s) {
  String a(kText);
  for (auto _ : s) {
    String b = a;
    benchmark::DoNotOptimize(b.CStr());
  }
}
static void StdStringCopy(benchmark::State& s) {
  std::string a(kText);
  for (auto _ : s) {
    std::string b = a;
    benchmark::DoNotOptimize(b.data());
  }
}
static void StringCompare(benchmark::State& s) {
  String a(kText), b("Scene/Characters/Hero/Geometrx");
  for (auto _ : s) benchmark::DoNotOptimize(String::Compare(a, b));
}
static void StdStringCompare(benchmark::State& s) {
  std::string a(kText), b("Scene/Characters/Hero/Geometrx");
  for (auto _ : s) benchmark::DoNotOptimize(a.compare(b));
}
static void StringHashUncached(benchmark::State& s) {
  String a(kText);
  for (auto _ : s) benchmark::DoNotOptimize(HashBytes(a.CStr(), size_t(a.Length())));
}
static void StringHashCached(benchmark::State& s) {
  String a(kText);
  for (auto _ : s) benchmark::DoNotOptimize(a.GetHash());
}
static void StdStringHash(benchmark::State& s) {
  std::string a(kText);
  std::hash<std::string> h;
  for (auto _ : s) benchmark::DoNotOptimize(h(a));
}
BENCHMARK(StringCopy);
BENCHMARK(StdStringCopy);
BENCHMARK(StringCompare);
BENCHMARK(StdStringCompare);
BENCHMARK(StringHashUncached);
BENCHMARK(StringHashCached);
BENCHMARK(StdStringHash);

static void ArrayAppend(benchmark::State& s) {
  for (auto _ : s) {
    Array<int> a;
    for (int i = 0; i < 10000; ++i) a.Append(i);
    benchmark::DoNotOptimize(a.Data());
  }
}
static void StdVectorPushBack(benchmark::State& s) {
  for (auto _ : s) {
    std::vector<int> a;
    for (int i = 0; i < 10000; ++i) a.push_back(i);
    benchmark::DoNotOptimize(a.data());
  }
}
BENCHMARK(ArrayAppend);
BENCHMARK(StdVectorPushBack);

static std::vector<String> Keys(int n) {
  std::vector<String> k;
  for (int i = 0; i < n; ++i) k.emplace_back(("member_" + std::to_string(i)).c_str());
  return k;
}

static void NameHashSet(benchmark::State& s) {
  auto keys = Keys(int(s.range(0)));
  for (auto _ : s) {
    NameHash h;
    for (const String& k : keys) h.Set(k, nullptr);
    benchmark::DoNotOptimize(h.Count());
  }
}
static void StdMapSet(benchmark::State& s) {
  std::vector<std::string> keys;
  for (const String& k : Keys(int(s.range(0)))) keys.emplace_back(k.CStr());
  for (auto _ : s) {
    std::unordered_map<std::string, void*> h;
    for (const std::string& k : keys) h[k] = nullptr;
    benchmark::DoNotOptimize(h.size());
  }
}
// A std::string with its hash computed once, as String keeps it.
struct HashedKey {
  std::string text;
  size_t hash;
  bool operator==(const HashedKey& o) const { return hash == o.hash && text == o.text; }
};
struct HashedKeyHash {
  size_t operator()(const HashedKey& k) const { return k.hash; }
};
static void StdMapSetCachedHash(benchmark::State& s) {
  std::vector<HashedKey> keys;
  for (const String& k : Keys(int(s.range(0)))) keys.push_back({k.CStr(), std::hash<std::string>()(k.CStr())});
  for (auto _ : s) {
    std::unordered_map<HashedKey, void*, HashedKeyHash> h;
    for (const HashedKey& k : keys) h[k] = nullptr;
    benchmark::DoNotOptimize(h.size());
  }
}
static void NameHashLookup(benchmark::State& s) {
  auto keys = Keys(int(s.range(0)));
  NameHash h;
  for (const String& k : keys) h.Set(k, nullptr);
  for (auto _ : s)
    for (const String& k : keys) benchmark::DoNotOptimize(h.FindEntry(k));
}
static void StdMapLookup(benchmark::State& s) {
  std::vector<std::string> keys;
  for (const String& k : Keys(int(s.range(0)))) keys.emplace_back(k.CStr());
  std::unordered_map<std::string, void*> h;
  for (const std::string& k : keys) h[k] = nullptr;
  for (auto _ : s)
    for (const std::string& k : keys) benchmark::DoNotOptimize(h.find(k));
}
BENCHMARK(NameHashSet)->Arg(1000)->Arg(10000);
BENCHMARK(StdMapSet)->Arg(1000)->Arg(10000);
BENCHMARK(StdMapSetCachedHash)->Arg(1000)->Arg(10000);
BENCHMARK(NameHashLookup)->Arg(1000)->Arg(10000);
BENCHMARK(StdMapLookup)->Arg(1000)->Arg(10000);
