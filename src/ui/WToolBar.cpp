#include "ui/WToolBar.h"

namespace PM {

const TypeRecord& WToolBar_I::GetTypeRecord() { return EngineTypeRecord<WToolBar_I>(kName); }
ScriptObject* WToolBar_I::Create() { return NewEngineObject<WToolBar_I>(); }
ScriptObject* WToolBar_I::CreateExtra(uint32_t extraBytes) { return NewEngineObject<WToolBar_I>(extraBytes); }

void WToolBar_I::Define() {
  DefineUIClass<WToolBar_I, WSizer_I>();
}

}  // namespace PM
