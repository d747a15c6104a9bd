#include "ui/WSizer.h"

#include "ui/WSizerItem.h"

namespace PM {

void WSizer_I::Define() {
  DefineUIClass<WSizer_I, WControl_I>();
  const MemberDef members[] = {
      FilledIndexedMember<&WSizer_I::m_sizerItemArray>(0x01FFF0E5, "SizerItemArray"),
      FieldMember<&WSizer_I::m_sizerMode, VEnum>(0x02FFF0E5, "SizerMode"),
      FieldMember<&WSizer_I::m_borderSpacing>(0x03FFF0E5, "BorderSpacing"),
      FieldMember<&WSizer_I::m_itemSpacing>(0x04FFF0E5, "ItemSpacing"),
      FieldMember<&WSizer_I::m_gridDimension>(0x05FFF0E5, "GridDimension"),
      FieldMember<&WSizer_I::m_gridCountX>(0x06FFF0E5, "GridCountX"),
      FieldMember<&WSizer_I::m_gridCountY>(0x07FFF0E5, "GridCountY"),
  };
  DefineMembers(members);
}

void WSizer_I::DefineSizerModeEnum() {
  static const char* const kNames[] = {"Horizontal", "Vertical", "HorizontalRev", "VerticalRev"};
  DefineEnumType({kClassSizerMode, "WSizer", "SizerModeEnum", kNames, 4});
}

}  // namespace PM
