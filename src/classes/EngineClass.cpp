#include "classes/EngineClass.h"

namespace PM {

const TypeRecord& EnumTypeRecord() {
  static const TypeRecord record("EnumType", 4, nullptr);
  return record;
}

void DefineEnumType(const EnumTypeDef& def) {
  CreateClass(def.id, kClassScriptObject, def.owner, def.name, &EnumTypeRecord(), nullptr, nullptr, kClassKindEnum);
  for (uint32_t k = 0; k < def.count; ++k) {
    uint32_t index = (def.firstDefined - 1 + k) % def.count + 1;
    uint32_t id = MakeMemberId(index, def.id);
    CreateEnumMember(id, def.values[index - 1], int32_t(id), 1, kMemberEnumValue);
  }
}

}  // namespace PM
