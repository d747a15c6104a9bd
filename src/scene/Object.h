// Stand-in for the scene's root class until the engine class table lands: only what the UI classes use.
#pragma once

#include "core/String.h"
#include "script/object/ScriptObject.h"

namespace PM {

class Object_I : public ScriptObject {
 public:
  static constexpr uint32_t kClassId = 0xFFFFF040;
  static const TypeRecord& GetTypeRecord();
  static ScriptObject* Create();
  static ScriptObject* CreateExtra(uint32_t extraBytes);

  String m_name;
};

}  // namespace PM
