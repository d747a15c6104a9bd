#include "ui/WGroupFrame.h"

namespace PM {

const TypeRecord& WGroupFrame_I::GetTypeRecord() { return EngineTypeRecord<WGroupFrame_I>(kName); }
ScriptObject* WGroupFrame_I::Create() { return NewEngineObject<WGroupFrame_I>(); }
ScriptObject* WGroupFrame_I::CreateExtra(uint32_t extraBytes) { return NewEngineObject<WGroupFrame_I>(extraBytes); }

void WGroupFrame_I::Define() {
  DefineUIClass<WGroupFrame_I, WControl_I>();
}

}  // namespace PM
