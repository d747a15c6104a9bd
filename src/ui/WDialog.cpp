#include "ui/WDialog.h"

namespace PM {

const TypeRecord& WDialog_I::GetTypeRecord() { return EngineTypeRecord<WDialog_I>(kName); }
ScriptObject* WDialog_I::Create() { return NewEngineObject<WDialog_I>(); }
ScriptObject* WDialog_I::CreateExtra(uint32_t extraBytes) { return NewEngineObject<WDialog_I>(extraBytes); }

void WDialog_I::Define() {
  DefineUIClass<WDialog_I, WFrame_I>();
}

}  // namespace PM
