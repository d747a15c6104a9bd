#include "ui/WDialog.h"

namespace PM {

const TypeRecord& WDialog_I::GetTypeRecord() { return UITypeRecord<WDialog_I>(); }
ScriptObject* WDialog_I::Create() { return UINew<WDialog_I>(); }
ScriptObject* WDialog_I::CreateExtra(uint32_t extraBytes) { return UINewExtra<WDialog_I>(extraBytes); }

void WDialog_I::Define() {
  DefineUIClass<WDialog_I, WFrame_I>();
}

}  // namespace PM
