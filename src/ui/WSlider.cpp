#include "ui/WSlider.h"

namespace PM {

void WSlider_I::Define() {
  DefineUIClass<WSlider_I, WControl_I>();
  const MemberDef members[] = {
      FieldMember<&WSlider_I::m_orientation>(0x01FFF0ED, "Orientation"),
      FieldMember<&WSlider_I::m_sliderValue>(0x02FFF0ED, "SliderValue"),
      FieldMember<&WSlider_I::m_sliderMin>(0x03FFF0ED, "SliderMin"),
      FieldMember<&WSlider_I::m_sliderMax>(0x04FFF0ED, "SliderMax"),
      FieldMember<&WSlider_I::m_sliderStep>(0x05FFF0ED, "SliderStep"),
  };
  DefineMembers(members);
}

}  // namespace PM
