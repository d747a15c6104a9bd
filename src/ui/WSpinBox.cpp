#include "ui/WSpinBox.h"

namespace PM {

void WSpinBox_I::Define() {
  DefineUIClass<WSpinBox_I, WControl_I>();
  const MemberDef members[] = {
      FieldMember<&WSpinBox_I::m_spinValue>(0x01FFF0CA, "SpinValue"),
  };
  DefineMembers(members);
}

}  // namespace PM
