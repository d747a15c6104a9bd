// The value types a member can hold: one tag per type with its C++ value, class id, how it is passed,
// its ordering and its writer in the language's literal form. The member-operation families are
// templates over these tags.
#pragma once

#include <cstdint>
#include <type_traits>

#include "core/Array.h"
#include "core/Matrix4f.h"
#include "core/NameHash.h"
#include "core/Spheref.h"
#include "core/StreamPipe.h"
#include "core/String.h"
#include "core/Vector2f.h"
#include "core/Vector3f.h"
#include "core/Vector4f.h"
#include "script/object/ClassID.h"

namespace PM {

class ScriptObject;

// V: the value; by value (Bool, integers, floats, Enum, MemberID, objects) or through a pointer.
template <class V, uint32_t Id, bool ByValue>
struct ValueTag {
  using Value = V;
  using Element = V;  // what an Array member holds
  static constexpr uint32_t kClassId = Id;
  static constexpr bool kByValue = ByValue;
};

struct VBool : ValueTag<bool, kClassBool, true> {
  static constexpr const char* kName = "Bool";
};
struct VI32 : ValueTag<int32_t, kClassI32, true> {
  static constexpr const char* kName = "I32";
};
struct VI64 : ValueTag<int64_t, kClassI64, true> {
  static constexpr const char* kName = "I64";
};
struct VU32 : ValueTag<uint32_t, kClassU32, true> {
  static constexpr const char* kName = "U32";
};
struct VU64 : ValueTag<uint64_t, kClassU64, true> {
  static constexpr const char* kName = "U64";
};
struct VF32 : ValueTag<float, kClassF32, true> {
  static constexpr const char* kName = "F32";
};
struct VF64 : ValueTag<double, kClassF64, true> {
  static constexpr const char* kName = "F64";
};
struct VEnum : ValueTag<uint32_t, kClassEnum, true> {
  static constexpr const char* kName = "Enum";
};  // a member id of an enum class
struct VMemberID : ValueTag<uint32_t, kClassMemberID, true> {
  static constexpr const char* kName = "MemberID";
};
struct VVector2f : ValueTag<Vector2f, kClassVector2f, false> {
  static constexpr const char* kName = "Vector2f";
};
struct VVector3f : ValueTag<Vector3f, kClassVector3f, false> {
  static constexpr const char* kName = "Vector3f";
};
struct VVector4f : ValueTag<Vector4f, kClassVector4f, false> {
  static constexpr const char* kName = "Vector4f";
};
struct VMatrix4f : ValueTag<Matrix4f, kClassMatrix4f, false> {
  static constexpr const char* kName = "Matrix4f";
};
struct VSpheref : ValueTag<Spheref, kClassSpheref, false> {
  static constexpr const char* kName = "Spheref";
};
struct VString : ValueTag<String, kClassString, false> {
  static constexpr const char* kName = "String";
};
struct VNameHash : ValueTag<NameHash, kClassNameHash, false> {
  static constexpr const char* kName = "NameHash";
};
// Object references: Get gives the object borrowed, Set counts the new one and releases the old one.
struct VObject : ValueTag<ScriptObject*, kClassScriptObject, true> {
  static constexpr const char* kName = "ScriptObject";
  using Element = Obj<ScriptObject>;
};

// The ordering of the generic Compare: -1, 0 or 1; components and elements lexicographically; objects
// by address; NaN compares equal to everything.
template <class T>
int32_t ValueOrder(const T& a, const T& b) {
  if constexpr (std::is_arithmetic_v<T> || std::is_pointer_v<T>) {
    return a < b ? -1 : (b < a ? 1 : 0);
  } else {
    const float* x = reinterpret_cast<const float*>(&a);
    const float* y = reinterpret_cast<const float*>(&b);
    for (size_t i = 0; i < sizeof(T) / sizeof(float); ++i)
      if (int32_t c = ValueOrder(x[i], y[i])) return c;
    return 0;
  }
}
inline int32_t ValueOrder(const String& a, const String& b) { return String::Compare(a, b); }
int32_t ValueOrder(const NameHash& a, const NameHash& b);
inline int32_t ValueOrder(const Obj<ScriptObject>& a, const Obj<ScriptObject>& b) {
  return ValueOrder(a.Get(), b.Get());
}
template <class T>
int32_t ValueOrder(const Array<T>& a, const Array<T>& b) {
  int n = a.Count() < b.Count() ? a.Count() : b.Count();
  for (int i = 0; i < n; ++i)
    if (int32_t c = ValueOrder(a[i], b[i])) return c;
  return ValueOrder(a.Count(), b.Count());
}

// Writers of one value in literal form: true/false, decimal numbers, "(x,y,z)" vectors, quoted strings,
// enum values as Type.Value, member ids as 0x hex, objects as Class(0xaddress), hashes as {"key":value}.
void WriteValue(StreamPipeRef& out, VBool, bool v);
void WriteValue(StreamPipeRef& out, VI32, int32_t v);
void WriteValue(StreamPipeRef& out, VI64, int64_t v);
void WriteValue(StreamPipeRef& out, VU32, uint32_t v);
void WriteValue(StreamPipeRef& out, VU64, uint64_t v);
void WriteValue(StreamPipeRef& out, VF32, float v);
void WriteValue(StreamPipeRef& out, VF64, double v);
void WriteValue(StreamPipeRef& out, VEnum, uint32_t v);
void WriteValue(StreamPipeRef& out, VMemberID, uint32_t v);
void WriteValue(StreamPipeRef& out, VVector2f, const Vector2f& v);
void WriteValue(StreamPipeRef& out, VVector3f, const Vector3f& v);
void WriteValue(StreamPipeRef& out, VVector4f, const Vector4f& v);
void WriteValue(StreamPipeRef& out, VMatrix4f, const Matrix4f& v);
void WriteValue(StreamPipeRef& out, VSpheref, const Spheref& v);
void WriteValue(StreamPipeRef& out, VString, const String& v);
void WriteValue(StreamPipeRef& out, VNameHash, const NameHash& v);
void WriteValue(StreamPipeRef& out, VObject, ScriptObject* v);
inline void WriteValue(StreamPipeRef& out, VObject t, const Obj<ScriptObject>& v) { WriteValue(out, t, v.Get()); }
// "[" elements separated by "," "]".
template <class Tag, class E>
void WriteArrayValue(StreamPipeRef& out, const Array<E>& a);

// Calls f(Tag{}) with the tag of a value class id; returns false for other ids.
template <class F>
bool WithValueTag(uint32_t classId, F&& f) {
  switch (classId) {
    case kClassBool:
      f(VBool{});
      return true;
    case kClassI32:
      f(VI32{});
      return true;
    case kClassI64:
      f(VI64{});
      return true;
    case kClassU32:
      f(VU32{});
      return true;
    case kClassU64:
      f(VU64{});
      return true;
    case kClassF32:
      f(VF32{});
      return true;
    case kClassF64:
      f(VF64{});
      return true;
    case kClassEnum:
      f(VEnum{});
      return true;
    case kClassMemberID:
      f(VMemberID{});
      return true;
    case kClassVector2f:
      f(VVector2f{});
      return true;
    case kClassVector3f:
      f(VVector3f{});
      return true;
    case kClassVector4f:
      f(VVector4f{});
      return true;
    case kClassMatrix4f:
      f(VMatrix4f{});
      return true;
    case kClassSpheref:
      f(VSpheref{});
      return true;
    case kClassString:
      f(VString{});
      return true;
    case kClassNameHash:
      f(VNameHash{});
      return true;
    case kClassScriptObject:
      f(VObject{});
      return true;
    default:
      return false;
  }
}

template <class Tag, class E>
void WriteArrayValue(StreamPipeRef& out, const Array<E>& a) {
  out.WriteChar('[');
  for (int i = 0; i < a.Count(); ++i) {
    if (i) out.WriteChar(',');
    WriteValue(out, Tag{}, a[i]);
  }
  out.WriteChar(']');
}
}  // namespace PM
