// CallSlot<Tag>: hands a value to the visitor slot of its type (vectors and matrices by pointer to the
// stored floats), for code that holds values by their type tag.
#pragma once

#include "script/lang/ValueVisitor.h"
#include "script/object/ValueTypes.h"

namespace PM {

template <class T>
uint32_t CallSlot(ValueVisitor& to, const typename T::Value& v) {
  if constexpr (std::is_same_v<T, VBool>)
    return to.FoundBool(v);
  else if constexpr (std::is_same_v<T, VI32>)
    return to.FoundI32(v);
  else if constexpr (std::is_same_v<T, VI64>)
    return to.FoundI64(v);
  else if constexpr (std::is_same_v<T, VU32>)
    return to.FoundU32(v);
  else if constexpr (std::is_same_v<T, VU64>)
    return to.FoundU64(v);
  else if constexpr (std::is_same_v<T, VF32>)
    return to.FoundF32(v);
  else if constexpr (std::is_same_v<T, VF64>)
    return to.FoundF64(v);
  else if constexpr (std::is_same_v<T, VVector2f>)
    return to.FoundVector2f(&v.x);
  else if constexpr (std::is_same_v<T, VVector3f>)
    return to.FoundVector3f(&v.x);
  else if constexpr (std::is_same_v<T, VVector4f>)
    return to.FoundVector4f(&v.x);
  else if constexpr (std::is_same_v<T, VMatrix4f>)
    return to.FoundMatrix4f(v.m);
  else if constexpr (std::is_same_v<T, VSpheref>)
    return to.FoundSpheref(reinterpret_cast<const float*>(&v));
  else if constexpr (std::is_same_v<T, VString>)
    return to.FoundString(v);
  else if constexpr (std::is_same_v<T, VEnum>)
    return to.FoundEnum(v);
  else if constexpr (std::is_same_v<T, VMemberID>)
    return to.FoundMemberID(v);
  else if constexpr (std::is_same_v<T, VNameHash>)
    return to.FoundNameHash(v);
  else
    return to.FoundObject(v);
}

}  // namespace PM
