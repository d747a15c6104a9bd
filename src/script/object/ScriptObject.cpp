#include "script/object/ScriptObject.h"

#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "core/Log.h"
#include "script/object/MemberAccess.h"

namespace PM {

namespace {

// Drops the reference an Obj held without destroying: objects made by Create, Clone and CopyTemplate
// are handed out with the count they would have had without our guard reference.
ScriptObject* HandOut(Obj<ScriptObject>& held) {
  ScriptObject* p = held.Detach();
  if (!IsNilObject(p)) HeaderOf(p)->refs.fetch_sub(1, std::memory_order_acq_rel);
  return p;
}

bool IsCopied(const MemberRecord& r, uint32_t skip) {
  return r.id != 0 && !(r.flags & (skip | kMemberEnumValue | kMemberFunction)) && r.ops.copyTo;
}

ScriptObject* NewLike(ScriptObject* src, const char* op) {
  ScriptObject* dst = ScriptObject::Create(src->GetClassID());
  if (IsNilObject(dst))
    LogError("ScriptObject::", op, ": cannot create an object of class \"", src->GetClassName(), "\".");
  return dst;
}

using CopyMemo = std::unordered_map<ScriptObject*, Obj<ScriptObject>>;

ScriptObject* CopyTemplateInto(ScriptObject* src, CopyMemo& memo);

ScriptObject* CopyOwned(ScriptObject* child, CopyMemo& memo) {
  if (!child || IsNilObject(child)) return NilScriptObject();
  auto it = memo.find(child);
  return it != memo.end() ? it->second.Get() : CopyTemplateInto(child, memo);
}

ScriptObject* CopyTemplateInto(ScriptObject* src, CopyMemo& memo) {
  ScriptObject* dst = NewLike(src, "CopyTemplate");
  if (IsNilObject(dst)) return dst;
  memo.emplace(src, Obj<ScriptObject>(dst));  // held until the whole copy is done
  ForEachClassOf(src, [&](const MemberTable* t) {
    for (int32_t i = 1; i < t->count; ++i) {
      const MemberRecord& r = t->records[i];
      if (!IsCopied(r, kMemberNoClone | kMemberNoWalk)) continue;
      if (!(r.flags & kMemberAnyObjectRef) || (r.flags & kMemberShared)) {
        TypedFn<MemberCopyToFn>(r.ops.copyTo)(src, dst, r.id);
      } else if (r.flags & kMemberArray) {
        Array<Obj<ScriptObject>> a = MemberGetArray<VObject>(src, r.id);
        for (Obj<ScriptObject>& e : a) e = CopyOwned(e, memo);
        MemberSetArray<VObject>(dst, r.id, a);
      } else if (r.flags & kMemberIndexed) {
        int32_t n = MemberSize(src, r.id);
        for (int32_t k = 0; k < n; ++k)
          MemberSetAt<VObject>(dst, r.id, k, CopyOwned(MemberGetAt<VObject>(src, r.id, k), memo));
        if (MemberSize(dst, r.id) > n) MemberRemove(dst, r.id, n, -1);
      } else {
        MemberSet<VObject>(dst, r.id, CopyOwned(MemberGet<VObject>(src, r.id), memo));
      }
    }
  });
  return dst;
}

}  // namespace

ScriptObject::~ScriptObject() {
  // Only the object's own class is asked: a script class clears the storage of its whole chain, and
  // no class derives from one without being a script class itself.
  uint32_t id = GetClassID();
  const MemberTable* t = ValidTable(id);
  if (t && t->destroyStorage) t->destroyStorage(this, id);
}

void ScriptObject::ScriptSlot0() {}

ScriptObject* ScriptObject::Create(uint32_t classId) {
  const MemberTable* t = ValidTable(classId);
  if (!t || !t->factory) return NilScriptObject();
  ScriptObject* obj = t->factory();
  if (!obj) return NilScriptObject();
  HeaderOf(obj)->classRow = ClassRowOf(classId);
  return obj;
}

ScriptObject* ScriptObject::CreateExtra(uint32_t classId, uint32_t extraBytes) {
  const MemberTable* t = ValidTable(classId);
  if (!t || !t->factoryExtra) return NilScriptObject();
  ScriptObject* obj = t->factoryExtra(extraBytes);
  if (!obj) return NilScriptObject();
  HeaderOf(obj)->classRow = ClassRowOf(classId);
  return obj;
}

void ScriptObject::ExpectFailed(const ScriptObject* obj, uint32_t expectedClassId) {
  if (!LogLevelAdmits(kLevelError)) return;
  if (!obj) obj = NilScriptObject();
  LogError("ScriptObject::ExpectFailed: ", "cannot cast ", "\"", obj->GetClassName(), "\"", " to ", "\"",
           ClassName(expectedClassId), "\"", ".");
}

WeakObjTarget* ScriptObject::GetWeakTarget(const ScriptObject* obj) { return BlockWeakTarget(obj ? obj : NilObject()); }

ScriptObject* ScriptObject::Clone(ScriptObject* src) {
  if (!src || IsNilObject(src)) return NilScriptObject();
  Obj<ScriptObject> dst(NewLike(src, "Clone"));
  if (dst.IsNil()) return NilScriptObject();
  ForEachClassOf(src, [&](const MemberTable* t) {
    for (int32_t i = 1; i < t->count; ++i) {
      const MemberRecord& r = t->records[i];
      if (IsCopied(r, kMemberNoClone)) TypedFn<MemberCopyToFn>(r.ops.copyTo)(src, dst, r.id);
    }
  });
  return HandOut(dst);
}

ScriptObject* ScriptObject::CopyTemplate(ScriptObject* src) {
  if (!src || IsNilObject(src)) return NilScriptObject();
  CopyMemo memo;
  ScriptObject* root = CopyTemplateInto(src, memo);
  if (IsNilObject(root)) return root;
  Obj<ScriptObject> held(root);
  memo.clear();  // copies nobody took (refused by a setter) go now
  return HandOut(held);
}

void ScriptObject::WalkGraph(ScriptObject* root, const std::function<void(ScriptObject*)>& visit) {
  std::unordered_set<ScriptObject*> seen;
  std::vector<Obj<ScriptObject>> stack;
  auto push = [&](ScriptObject* o) {
    if (o && !IsNilObject(o) && seen.insert(o).second) stack.emplace_back(o);
  };
  push(root);
  while (!stack.empty()) {
    Obj<ScriptObject> obj = std::move(stack.back());
    stack.pop_back();
    visit(obj);
    ForEachClassOf(obj, [&](const MemberTable* t) {
      for (int32_t i = 1; i < t->count; ++i) {
        const MemberRecord& r = t->records[i];
        if (!r.id || !(r.flags & kMemberAnyObjectRef) || (r.flags & kMemberNoWalk)) continue;
        if (r.flags & kMemberArray) {
          for (const Obj<ScriptObject>& e : MemberGetArray<VObject>(obj, r.id)) push(e);
        } else if (r.flags & kMemberIndexed) {
          for (int32_t k = 0, n = MemberSize(obj, r.id); k < n; ++k) push(MemberGetAt<VObject>(obj, r.id, k));
        } else {
          push(MemberGet<VObject>(obj, r.id));
        }
      }
    });
  }
}

}  // namespace PM
