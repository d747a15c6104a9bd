#include "script/object/ObjectCycles.h"

#include <unordered_map>

#include "script/object/MemberAccess.h"

namespace PM {

namespace {

bool IsObject(const ScriptObject* o) { return o && !IsNilObject(o); }

// The members that own object references. Those marked 0x2 may hold weak or borrowed ones, so their
// targets are left out: a reference not counted only makes an object look held from outside.
template <class F>
void ForEachOwningMember(ScriptObject* obj, F&& f) {
  ForEachClassOf(obj, [&](const MemberTable* t) {
    for (int32_t i = 1; i < t->count; ++i) {
      const MemberRecord& r = t->records[i];
      if (!r.id || !(r.flags & kMemberAnyObjectRef) || (r.flags & (kMemberNoWalk | kMemberFunction))) continue;
      uint32_t shape = r.flags & kMemberArray ? kShapeArray : r.flags & kMemberIndexed ? kShapeIndexed : kShapeSingle;
      if (r.signature == MemberSignature(VObject::kClassId, shape)) f(r);
    }
  });
}

template <class F>
void ForEachReference(ScriptObject* obj, F&& f) {
  ForEachOwningMember(obj, [&](const MemberRecord& r) {
    if (r.flags & kMemberArray) {
      for (const Obj<ScriptObject>& e : MemberGetArray<VObject>(obj, r.id))
        if (IsObject(e)) f(e.Get());
    } else if (r.flags & kMemberIndexed) {
      for (int32_t k = 0, n = MemberSize(obj, r.id); k < n; ++k)
        if (ScriptObject* e = MemberGetAt<VObject>(obj, r.id, k); IsObject(e)) f(e);
    } else if (ScriptObject* e = MemberGet<VObject>(obj, r.id); IsObject(e)) {
      f(e);
    }
  });
}

void DropReferences(ScriptObject* obj) {
  ForEachOwningMember(obj, [&](const MemberRecord& r) {
    if (r.flags & kMemberArray)
      MemberSetArray<VObject>(obj, r.id, Array<Obj<ScriptObject>>());
    else if (r.flags & kMemberIndexed)
      MemberRemove(obj, r.id, 0, -1);
    else
      MemberSet<VObject>(obj, r.id, NilScriptObject());
  });
}

}  // namespace

bool HoldsObjectReferences(ScriptObject* obj) {
  bool holds = false;
  ForEachOwningMember(obj, [&](const MemberRecord& r) {
    if (holds) return;
    if (r.flags & (kMemberArray | kMemberIndexed))
      holds = MemberSize(obj, r.id) > 0;
    else
      holds = IsObject(MemberGet<VObject>(obj, r.id));
  });
  return holds;
}

void ReleaseObjectCycles(const std::vector<ScriptObject*>& held) {
  // Every object the holder reaches, with the references to it from the holder and from those objects.
  struct Node {
    int64_t inner = 0;
    bool outside = false;
  };
  std::unordered_map<ScriptObject*, Node> nodes;
  std::vector<ScriptObject*> todo;
  auto reach = [&](ScriptObject* o) {
    auto [it, added] = nodes.try_emplace(o);
    ++it->second.inner;
    if (added) todo.push_back(o);
  };
  for (ScriptObject* o : held)
    if (IsObject(o)) reach(o);
  std::vector<ScriptObject*> all;
  while (!todo.empty()) {
    ScriptObject* o = todo.back();
    todo.pop_back();
    all.push_back(o);
    ForEachReference(o, reach);
  }
  // Held from outside: more references than the holder and the reached objects account for. Those
  // and everything they reach stay as they are.
  for (ScriptObject* o : all)
    if (int64_t(BlockRefCount(o)) > nodes[o].inner) todo.push_back(o);
  while (!todo.empty()) {
    ScriptObject* o = todo.back();
    todo.pop_back();
    Node& n = nodes[o];
    if (n.outside) continue;
    n.outside = true;
    ForEachReference(o, [&](ScriptObject* e) {
      if (!nodes[e].outside) todo.push_back(e);
    });
  }
  // The rest lives only through the holder and each other. Letting go the holder's references frees
  // what no cycle keeps (counted here as it would happen); what stays counted is a cycle or is held by
  // one, and drops its references, kept alive by `keep` until all have, so it goes with the holder.
  std::unordered_map<ScriptObject*, int64_t> count;
  for (ScriptObject* o : all)
    if (!nodes[o].outside) count[o] = BlockRefCount(o);
  auto letGo = [&](ScriptObject* o) {
    auto it = count.find(o);
    if (it != count.end() && --it->second == 0) todo.push_back(o);
  };
  for (ScriptObject* o : held)
    if (IsObject(o)) letGo(o);
  while (!todo.empty()) {
    ScriptObject* o = todo.back();
    todo.pop_back();
    ForEachReference(o, letGo);
  }
  std::vector<Obj<ScriptObject>> keep;
  for (ScriptObject* o : all)
    if (!nodes[o].outside && count[o] > 0) keep.emplace_back(o);
  for (const Obj<ScriptObject>& o : keep) DropReferences(o);
}

}  // namespace PM
