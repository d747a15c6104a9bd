#include "ui/WGroup.h"

namespace PM {

const TypeRecord& WGroup_I::GetTypeRecord() { return EngineTypeRecord<WGroup_I>(kName); }
ScriptObject* WGroup_I::Create() { return NewEngineObject<WGroup_I>(); }
ScriptObject* WGroup_I::CreateExtra(uint32_t extraBytes) { return NewEngineObject<WGroup_I>(extraBytes); }

void WGroup_I::Define() {
  DefineUIClass<WGroup_I, WFrame_I>();
}

}  // namespace PM
