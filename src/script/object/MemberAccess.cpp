#include "script/object/MemberAccess.h"

#include <string>

#include "core/Log.h"
#include "script/object/MemberDef.h"
#include "script/object/MemberFamilies.h"

namespace PM {

namespace {

std::string FormText(uint32_t shape, uint32_t valueType) {
  if (shape & kMemberFunction) return "a function";
  std::string type = ClassName(valueType);
  if (shape & kMemberIndexed) return "indexed " + type;
  if (shape & kMemberArray) return "Array_" + type;
  return type;
}

const char* RecordName(const ScriptObject* obj, uint32_t member) {
  const MemberRecord* r = obj->FindRecord(member);
  return r && r->id ? r->name : MemberName(member);
}

// The record of a shared operation, or null after logging why there is none.
const MemberRecord* UsableRecord(const char* op, const ScriptObject* obj, uint32_t member, AnyMemberFn MemberOps::*fn) {
  const MemberRecord* r = obj->FindRecord(member);
  if (r && r->id && r->ops.*fn) return r;
  if (!r || !r->id)
    LogError("ScriptObject::", op, ": no member 0x", Hex{member}, " on an object of class \"", obj->GetClassName(),
             "\".");
  else
    LogError("ScriptObject::", op, ": member \"", r->name, "\" (0x", Hex{member}, ") of ",
             FormText(r->flags, r->valueType).c_str(), " has no ", op, ".");
  return nullptr;
}

}  // namespace

void ReportMemberMisuse(const char* op, const ScriptObject* obj, uint32_t member, uint32_t expectedType,
                        uint32_t expectedShape) {
  const MemberRecord* r = obj->FindRecord(member);
  if (!r || !r->id)
    LogError("ScriptObject::", op, ": no member 0x", Hex{member}, " on an object of class \"", obj->GetClassName(),
             "\".");
  else
    LogError("ScriptObject::", op, ": member \"", r->name, "\" (0x", Hex{member}, ") is ",
             FormText(r->flags & kMemberShape, r->valueType).c_str(), ", not ",
             FormText(expectedShape, expectedType).c_str(), ".");
}

void ReportInvalidAccess(const char* op, const ScriptObject* obj, uint32_t member) {
  LogError("ScriptObject::", op, ": invalid access to member \"", RecordName(obj, member), "\" (0x", Hex{member},
           ") of \"", ClassName(member), "\" on an object of class \"", obj->GetClassName(), "\".");
}

void ReportBadIndex(const char* op, const ScriptObject* obj, uint32_t member, int32_t index, int32_t count) {
  LogError("ScriptObject::", op, ": index ", index, " is outside member \"", RecordName(obj, member), "\" (0x",
           Hex{member}, ") of ", count, " elements.");
}

// ---- shared stubs ----------------------------------------------------------------------------------

int32_t StubSize(ScriptObject* obj, uint32_t member) {
  ReportInvalidAccess("Size", obj, member);
  return 0;
}
void StubRemove(ScriptObject* obj, uint32_t member, int32_t, int32_t) { ReportInvalidAccess("Remove", obj, member); }
int32_t StubCompare(ScriptObject* a, ScriptObject*, uint32_t member) {
  ReportInvalidAccess("Compare", a, member);
  return 0;
}
void StubCopyTo(ScriptObject* src, ScriptObject*, uint32_t member) { ReportInvalidAccess("CopyTo", src, member); }
void StubWrite(ScriptObject* obj, uint32_t member, StreamPipeRef&) { ReportInvalidAccess("Write", obj, member); }
Obj<ScriptObject> StubCall(ScriptObject* self, uint32_t member, int32_t, ScriptObject**) {
  ReportInvalidAccess("Call", self, member);
  return Obj<ScriptObject>();
}

// ---- operations every shape shares ------------------------------------------------------------------

int32_t MemberSize(ScriptObject* obj, uint32_t member) {
  const MemberRecord* r = UsableRecord("Size", obj, member, &MemberOps::size);
  return r ? TypedFn<MemberSizeFn>(r->ops.size)(obj, member) : 0;
}

void MemberRemove(ScriptObject* obj, uint32_t member, int32_t start, int32_t count) {
  if (const MemberRecord* r = UsableRecord("Remove", obj, member, &MemberOps::remove))
    TypedFn<MemberRemoveFn>(r->ops.remove)(obj, member, start, count);
}

int32_t MemberCompare(ScriptObject* a, ScriptObject* b, uint32_t member) {
  const MemberRecord* r = UsableRecord("Compare", a, member, &MemberOps::compare);
  return r ? TypedFn<MemberCompareFn>(r->ops.compare)(a, b, member) : 0;
}

void MemberCopyTo(ScriptObject* src, ScriptObject* dst, uint32_t member) {
  if (const MemberRecord* r = UsableRecord("CopyTo", src, member, &MemberOps::copyTo))
    TypedFn<MemberCopyToFn>(r->ops.copyTo)(src, dst, member);
}

void MemberWrite(ScriptObject* obj, uint32_t member, StreamPipeRef& out) {
  if (const MemberRecord* r = UsableRecord("Write", obj, member, &MemberOps::write))
    TypedFn<MemberWriteFn>(r->ops.write)(obj, member, out);
}

Obj<ScriptObject> MemberCall(ScriptObject* obj, uint32_t member, int32_t argc, ScriptObject** argv) {
  const MemberRecord* r = obj->FindRecord(member);
  if (r && r->id && (r->flags & kMemberFunction) && r->ops.set)
    return TypedFn<MemberCallFn>(r->ops.set)(obj, member, argc, argv);
  ReportMemberMisuse("Call", obj, member, kClassScriptObject, kMemberFunction);
  return Obj<ScriptObject>();
}

// ---- definitions ----------------------------------------------------------------------------------

void DefineMember(const MemberDef& d) {
  if (d.isEnumValue)
    CreateEnumMember(d.id, d.name, d.enumValue, d.validWord, d.flags);
  else
    CreateMember(d.id, d.name, d.valid, d.invalid, d.validWord, d.flags, d.valueType);
}

MemberDef FunctionMember(uint32_t id, const char* name, MemberCallFn call, uint32_t flags) {
  MemberDef d;
  d.id = id;
  d.name = name;
  d.flags = flags | kMemberFunction;
  d.valueType = kClassScriptObject;
  d.valid.set = EraseFn(call ? call : &StubCall);
  d.invalid.set = EraseFn(&StubCall);
  return d;
}

}  // namespace PM
