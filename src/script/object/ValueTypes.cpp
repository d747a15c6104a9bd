#include "script/object/ValueTypes.h"

#include "core/StreamPipe.h"
#include "script/object/ClassDatabase.h"
#include "script/object/MemberAccess.h"

namespace PM {

int32_t ValueOrder(const NameHash& a, const NameHash& b) {
  if (a.SharesWith(b)) return 0;
  if (int32_t c = ValueOrder(a.Count(), b.Count())) return c;
  Array<const NameHashEntry*> x, y;
  a.ForEach([&](const NameHashEntry& e) { x.Append(&e); });
  b.ForEach([&](const NameHashEntry& e) { y.Append(&e); });
  for (int i = 0; i < x.Count(); ++i) {
    if (int32_t c = String::Compare(x[i]->name, y[i]->name)) return c;
    if (int32_t c = ValueOrder(x[i]->value.Get(), y[i]->value.Get())) return c;
  }
  return 0;
}

void WriteValue(StreamPipeRef& out, VBool, bool v) { out.WriteText(v ? "true" : "false"); }
void WriteValue(StreamPipeRef& out, VI32, int32_t v) { out.WriteI32(v); }
void WriteValue(StreamPipeRef& out, VI64, int64_t v) { out.WriteI64(v); }
void WriteValue(StreamPipeRef& out, VU32, uint32_t v) { out.WriteU32(v); }
void WriteValue(StreamPipeRef& out, VU64, uint64_t v) { out.WriteU64(v); }
void WriteValue(StreamPipeRef& out, VF32, float v) { out.WriteF32(v); }
void WriteValue(StreamPipeRef& out, VF64, double v) { out.WriteF64(v); }
void WriteValue(StreamPipeRef& out, VMemberID, uint32_t v) { out.WriteText("0x").WriteHexPadded(v, 8); }
void WriteValue(StreamPipeRef& out, VEnum, uint32_t v) {
  const MemberRecord* r = MemberRecordOf(v);
  if (r && (r->flags & kMemberEnumValue))
    out.WriteText(ClassKeyName(v)).WriteChar('.').WriteText(r->name);
  else
    WriteValue(out, VMemberID{}, v);
}
void WriteValue(StreamPipeRef& out, VVector2f, const Vector2f& v) { out.WriteVector2f(v); }
void WriteValue(StreamPipeRef& out, VVector3f, const Vector3f& v) { out.WriteVector3f(v); }
void WriteValue(StreamPipeRef& out, VVector4f, const Vector4f& v) { out.WriteVector4f(v); }
void WriteValue(StreamPipeRef& out, VMatrix4f, const Matrix4f& v) { out.WriteMatrix4f(v); }
void WriteValue(StreamPipeRef& out, VSpheref, const Spheref& v) { out.WriteSpheref(v); }
void WriteValue(StreamPipeRef& out, VString, const String& v) { out.WriteQuotedString(v, '"'); }

// A boxed value is written as its value; other objects as Class(0xaddress).
void WriteValue(StreamPipeRef& out, VObject, ScriptObject* v) {
  if (!v) v = NilScriptObject();
  uint32_t box = MakeMemberId(1, v->GetClassID());
  const MemberRecord* r = MemberRecordOf(box);
  if (r && !IsNilObject(v) && r->ops.write && !(r->flags & kMemberAnyObjectRef) && ClassIndex(box) < 0x40) {
    TypedFn<MemberWriteFn>(r->ops.write)(v, box, out);
    return;
  }
  out.WriteText(v->GetClassName()).WriteText("(0x").WriteHex(uintptr_t(v)).WriteChar(')');
}

void WriteValue(StreamPipeRef& out, VNameHash, const NameHash& v) {
  out.WriteChar('{');
  bool first = true;
  v.ForEach([&](const NameHashEntry& e) {
    if (!first) out.WriteChar(',');
    first = false;
    out.WriteQuotedString(e.name, '"').WriteChar(':');
    WriteValue(out, VObject{}, e.value.Get());
  });
  out.WriteChar('}');
}

}  // namespace PM
