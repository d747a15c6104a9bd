#include "ui/WComboBox.h"

namespace PM {

const TypeRecord& WComboBox_I::GetTypeRecord() { return EngineTypeRecord<WComboBox_I>(kName); }
ScriptObject* WComboBox_I::Create() { return NewEngineObject<WComboBox_I>(); }
ScriptObject* WComboBox_I::CreateExtra(uint32_t extraBytes) { return NewEngineObject<WComboBox_I>(extraBytes); }

void WComboBox_I::Define() {
  DefineUIClass<WComboBox_I, WButton_I>();
  const MemberDef members[] = {
      FieldMember<&WComboBox_I::m_comboValue>(0x01FFF0C9, "ComboValue"),
      FieldMember<&WComboBox_I::m_editable>(0x02FFF0C9, "Editable"),
  };
  DefineMembers(members);
}

}  // namespace PM
