// Member Get and Set by member id through the master class table, against a virtual call and a plain
// field access on the same object.
#include <benchmark/benchmark.h>

#include "script/object/MemberDef.h"
#include "script/object/ObjectModel.h"

namespace PM {
namespace {

// noipa keeps the compiler from inlining the virtual calls it can see through in one file.
struct Thing : ScriptObject {
  [[gnu::noipa]] virtual int32_t GetCount() const { return count; }
  [[gnu::noipa]] virtual void SetCount(int32_t v) { count = v; }
  int32_t count = 0;
  Vector3f position{};
};

constexpr uint32_t kThing = 0xFFFFF100, kCount = 0x01FFF100, kPosition = 0x02FFF100;

const TypeRecord& ThingType() {
  static TypeRecord t("Thing", sizeof(Thing), DestroyScriptObject<Thing>);
  return t;
}

Thing* Setup() {
  static Thing* thing = [] {
    InitScriptObjectModel();
    CreateClass(kThing, kClassScriptObject, "", "Thing", &ThingType(), nullptr, nullptr, kClassKindObject);
    const MemberDef members[] = {
        FieldMember<&Thing::count>(kCount, "Count"),
        FieldMember<&Thing::position>(kPosition, "Position"),
    };
    DefineMembers(members);
    Thing* t = NewScriptObject<Thing>(ThingType(), kThing);
    BlockAddRef(t);
    return t;
  }();
  return thing;
}

constexpr int64_t kCalls = 10000000;

void MemberGetI32(benchmark::State& state) {
  ScriptObject* o = Setup();
  uint32_t id = kCount;
  for (auto _ : state) {
    benchmark::DoNotOptimize(o);
    benchmark::DoNotOptimize(id);
    benchmark::DoNotOptimize(MemberGet<VI32>(o, id));
  }
}
void MemberSetI32(benchmark::State& state) {
  ScriptObject* o = Setup();
  uint32_t id = kCount;
  int32_t v = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(o);
    benchmark::DoNotOptimize(id);
    MemberSet<VI32>(o, id, ++v);
  }
}
void MemberGetVector3f(benchmark::State& state) {
  ScriptObject* o = Setup();
  uint32_t id = kPosition;
  for (auto _ : state) {
    benchmark::DoNotOptimize(o);
    benchmark::DoNotOptimize(id);
    benchmark::DoNotOptimize(MemberGet<VVector3f>(o, id));
  }
}
void VirtualGet(benchmark::State& state) {
  Thing* t = Setup();
  for (auto _ : state) {
    benchmark::DoNotOptimize(t);
    benchmark::DoNotOptimize(t->GetCount());
  }
}
void VirtualSet(benchmark::State& state) {
  Thing* t = Setup();
  int32_t v = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(t);
    t->SetCount(++v);
  }
}
void FieldGet(benchmark::State& state) {
  Thing* t = Setup();
  for (auto _ : state) {
    benchmark::DoNotOptimize(t);
    benchmark::DoNotOptimize(t->count);
  }
}
void FieldSet(benchmark::State& state) {
  Thing* t = Setup();
  int32_t v = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(t);
    t->count = ++v;
    benchmark::ClobberMemory();
  }
}

BENCHMARK(MemberGetI32)->Iterations(kCalls);
BENCHMARK(VirtualGet)->Iterations(kCalls);
BENCHMARK(FieldGet)->Iterations(kCalls);
BENCHMARK(MemberSetI32)->Iterations(kCalls);
BENCHMARK(VirtualSet)->Iterations(kCalls);
BENCHMARK(FieldSet)->Iterations(kCalls);
BENCHMARK(MemberGetVector3f)->Iterations(kCalls);

}  // namespace
}  // namespace PM
