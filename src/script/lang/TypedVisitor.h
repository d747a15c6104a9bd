// TypedVisitor: a value visitor whose scalar, vector, string, enum, member-id and hash slots all go to
// one member template Take<Tag>(value) of the derived visitor; objects and arrays keep their own slots.
#pragma once

#include "script/lang/ValueVisitor.h"
#include "script/object/ValueTypes.h"

namespace PM {

// D's constructors reach it through MemberVisitor's and inherited ones: a private one with D its friend
// would not fit.
template <class D>
class TypedVisitor : public ValueVisitor {  // NOLINT(bugprone-crtp-constructor-accessibility): see above
 public:
  using ValueVisitor::ValueVisitor;

  uint32_t FoundBool(bool v) override { return Self().template Take<VBool>(v); }
  uint32_t FoundI32(int32_t v) override { return Self().template Take<VI32>(v); }
  uint32_t FoundI64(int64_t v) override { return Self().template Take<VI64>(v); }
  uint32_t FoundU32(uint32_t v) override { return Self().template Take<VU32>(v); }
  uint32_t FoundU64(uint64_t v) override { return Self().template Take<VU64>(v); }
  uint32_t FoundF32(float v) override { return Self().template Take<VF32>(v); }
  uint32_t FoundF64(double v) override { return Self().template Take<VF64>(v); }
  uint32_t FoundVector2f(const float* v) override { return Self().template Take<VVector2f>(Load<Vector2f>(v)); }
  uint32_t FoundVector3f(const float* v) override { return Self().template Take<VVector3f>(Load<Vector3f>(v)); }
  uint32_t FoundVector4f(const float* v) override { return Self().template Take<VVector4f>(Load<Vector4f>(v)); }
  uint32_t FoundMatrix4f(const float* m) override { return Self().template Take<VMatrix4f>(Load<Matrix4f>(m)); }
  uint32_t FoundSpheref(const float* s) override { return Self().template Take<VSpheref>(Load<Spheref>(s)); }
  uint32_t FoundString(const String& v) override { return Self().template Take<VString>(v); }
  uint32_t FoundEnum(uint32_t id) override { return Self().template Take<VEnum>(id); }
  uint32_t FoundMemberID(uint32_t id) override { return Self().template Take<VMemberID>(id); }
  uint32_t FoundNameHash(const NameHash& h) override { return Self().template Take<VNameHash>(h); }

 private:
  D& Self() { return static_cast<D&>(*this); }
  // The floats of a token's value area as the value type (the layouts are plain floats).
  template <class T>
  static T Load(const float* f) {
    T v;
    static_assert(sizeof(T) % sizeof(float) == 0);
    __builtin_memcpy(&v, f, sizeof(T));
    return v;
  }
};

}  // namespace PM

// Applies M to every value tag a visitor takes by value (for explicit instantiations of Take<Tag>).
// clang-format off
#define PM_FOR_EACH_VALUE_TAG(M) \
  M(VBool) M(VI32) M(VI64) M(VU32) M(VU64) M(VF32) M(VF64) M(VVector2f) M(VVector3f) M(VVector4f) \
  M(VMatrix4f) M(VSpheref) M(VString) M(VEnum) M(VMemberID) M(VNameHash)
// clang-format on
