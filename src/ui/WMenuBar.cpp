#include "ui/WMenuBar.h"

namespace PM {

const TypeRecord& WMenuBar_I::GetTypeRecord() { return UITypeRecord<WMenuBar_I>(); }
ScriptObject* WMenuBar_I::Create() { return UINew<WMenuBar_I>(); }
ScriptObject* WMenuBar_I::CreateExtra(uint32_t extraBytes) { return UINewExtra<WMenuBar_I>(extraBytes); }

void WMenuBar_I::Define() {
  DefineUIClass<WMenuBar_I, WSizer_I>();
}

}  // namespace PM
