// Object: the root of every engine class scripts can see; it gives each object a Name.
#pragma once

#include "classes/EngineClass.h"
#include "core/String.h"

namespace PM {

class Object_I : public ScriptObject {
 public:
  static constexpr uint32_t kClassId = ClassId::Object;
  static const TypeRecord& GetTypeRecord() { return EngineTypeRecord<Object_I>("Object"); }
  static ScriptObject* Create() { return NewEngineObject<Object_I>(); }
  static ScriptObject* CreateExtra(uint32_t extraBytes) { return NewEngineObject<Object_I>(extraBytes); }

  String m_name;  // member Name
};

enum : uint32_t { kMemberObjectName = 0x01FFF040 };

}  // namespace PM
