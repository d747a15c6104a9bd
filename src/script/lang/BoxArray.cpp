#include "script/lang/BoxArray.h"

#include "script/object/ValueBox.h"

namespace PM {

namespace {

template <class Tag>
Obj<ScriptObject> Box(const void* array) {
  using E = typename Tag::Element;
  const E* elements = static_cast<const E*>(array);
  Array<E> copy;
  copy.AssignStorage(elements, HeaderOf(array)->count);
  return Obj<ScriptObject>(NewArrayBox<Tag>(copy));
}

template <class F>
bool WithArrayTag(uint32_t elementClassId, F&& f) {
  switch (elementClassId) {
    case kClassScriptObject:
      f(VObject{});
      return true;
    case kClassBool:
      f(VBool{});
      return true;
    case kClassString:
      f(VString{});
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
    default:
      return false;
  }
}

}  // namespace

Obj<ScriptObject> BoxArray(const void* array, uint32_t elementClassId) {
  Obj<ScriptObject> box;
  if (!array || !WithArrayTag(elementClassId, [&](auto tag) { box = Box<decltype(tag)>(array); }))
    return Obj<ScriptObject>();
  return box;
}

}  // namespace PM
