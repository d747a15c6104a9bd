#include "ui/WSpinBox.h"

namespace PM {

const TypeRecord& WSpinBox_I::GetTypeRecord() { return EngineTypeRecord<WSpinBox_I>(kName); }
ScriptObject* WSpinBox_I::Create() { return NewEngineObject<WSpinBox_I>(); }
ScriptObject* WSpinBox_I::CreateExtra(uint32_t extraBytes) { return NewEngineObject<WSpinBox_I>(extraBytes); }

void WSpinBox_I::Define() {
  DefineUIClass<WSpinBox_I, WControl_I>();
  const MemberDef members[] = {
      FieldMember<&WSpinBox_I::m_spinValue>(0x01FFF0CA, "SpinValue"),
  };
  DefineMembers(members);
}

}  // namespace PM
