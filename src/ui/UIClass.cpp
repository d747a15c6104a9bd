#include "ui/UIClass.h"

namespace PM {

void NoUIEnumDestroy(void*) {}

void DefineUIEnum(uint32_t classId, const char* nameSpace, const char* name, const TypeRecord& type,
                  const char* const* valueNames, int count) {
  const ClassDef row[] = {{classId, kClassScriptObject, nameSpace, name, &type, nullptr, nullptr, kClassKindEnum}};
  DefineClasses(row);
  for (int i = 0; i < count; ++i) DefineMember(EnumValue(MakeMemberId(uint32_t(i + 1), classId), valueNames[i]));
}

}  // namespace PM
