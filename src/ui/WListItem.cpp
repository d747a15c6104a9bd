#include "ui/WListItem.h"

namespace PM {

const TypeRecord& WListItem_I::GetTypeRecord() { return EngineTypeRecord<WListItem_I>(kName); }
ScriptObject* WListItem_I::Create() { return NewEngineObject<WListItem_I>(); }
ScriptObject* WListItem_I::CreateExtra(uint32_t extraBytes) { return NewEngineObject<WListItem_I>(extraBytes); }

void WListItem_I::Define() {
  DefineUIClass<WListItem_I, WButton_I>();
}

}  // namespace PM
