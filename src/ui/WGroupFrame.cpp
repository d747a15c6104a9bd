#include "ui/WGroupFrame.h"

namespace PM {

const TypeRecord& WGroupFrame_I::GetTypeRecord() { return UITypeRecord<WGroupFrame_I>(); }
ScriptObject* WGroupFrame_I::Create() { return UINew<WGroupFrame_I>(); }
ScriptObject* WGroupFrame_I::CreateExtra(uint32_t extraBytes) { return UINewExtra<WGroupFrame_I>(extraBytes); }

void WGroupFrame_I::Define() {
  DefineUIClass<WGroupFrame_I, WControl_I>();
}

}  // namespace PM
