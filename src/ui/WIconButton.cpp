#include "ui/WIconButton.h"

namespace PM {

const TypeRecord& WIconButton_I::GetTypeRecord() { return EngineTypeRecord<WIconButton_I>(kName); }
ScriptObject* WIconButton_I::Create() { return NewEngineObject<WIconButton_I>(); }
ScriptObject* WIconButton_I::CreateExtra(uint32_t extraBytes) { return NewEngineObject<WIconButton_I>(extraBytes); }

void WIconButton_I::Define() {
  DefineUIClass<WIconButton_I, WButton_I>();
}

}  // namespace PM
