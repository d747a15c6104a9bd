#include "ui/WComboBox.h"

namespace PM {

void WComboBox_I::Define() {
  DefineUIClass<WComboBox_I, WButton_I>();
  const MemberDef members[] = {
      FieldMember<&WComboBox_I::m_comboValue>(0x01FFF0C9, "ComboValue"),
      FieldMember<&WComboBox_I::m_editable>(0x02FFF0C9, "Editable"),
  };
  DefineMembers(members);
}

}  // namespace PM
