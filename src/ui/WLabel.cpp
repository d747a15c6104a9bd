#include "ui/WLabel.h"

namespace PM {

const TypeRecord& WLabel_I::GetTypeRecord() { return EngineTypeRecord<WLabel_I>(kName); }
ScriptObject* WLabel_I::Create() { return NewEngineObject<WLabel_I>(); }
ScriptObject* WLabel_I::CreateExtra(uint32_t extraBytes) { return NewEngineObject<WLabel_I>(extraBytes); }

void WLabel_I::Define() {
  DefineUIClass<WLabel_I, WControl_I>();
}

}  // namespace PM
