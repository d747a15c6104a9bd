// Object: the root of every engine class scripts can see; it gives each object a Name.
#pragma once

#include "classes/EngineClass.h"
#include "core/String.h"

namespace PM {

class Object_I : public EngineClass<Object_I, ScriptObject, ClassId::Object, "Object"> {
 public:
  static void Define();
  String m_name;  // member Name
};

enum : uint32_t { kMemberObjectName = 0x01FFF040 };

}  // namespace PM
