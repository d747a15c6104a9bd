#include "scene/VertexData.h"

#include "classes/EngineClassRegistry.h"

namespace PM {

// The root and each typed stream are entries of their own, each defined with its one member.
static void DefineVertexData() {
  const ClassDef classes[] = {AbstractClass<VertexData_I>(Object_I::kClassId, "VertexData")};
  DefineClasses(classes);
  const MemberDef members[] = {FieldMember<&VertexData_I::m_usage>(0x01FFF0A0, "Usage")};
  DefineMembers(members);
}

template <class T>
static void DefineTypedVertexData() {
  const ClassDef classes[] = {ConcreteClass<T>(VertexData_I::kClassId, T::kClassName)};
  DefineClasses(classes);
  const MemberDef members[] = {FieldMember<&T::m_data>(0x01000000u | (T::kClassId & 0x00FFFFFFu), "DataArray")};
  DefineMembers(members);
}

static const bool kEntries[] = {
    AddEngineClassEntry(0x0A0, &DefineVertexData),
    AddEngineClassEntry(0x0A1, &DefineTypedVertexData<VertexDataF32_I>),
    AddEngineClassEntry(0x0A2, &DefineTypedVertexData<VertexDataVector2f_I>),
    AddEngineClassEntry(0x0A3, &DefineTypedVertexData<VertexDataVector3f_I>),
    AddEngineClassEntry(0x0A4, &DefineTypedVertexData<VertexDataVector4f_I>),
    AddEngineClassEntry(0x0A5, &DefineTypedVertexData<VertexDataMatrix4f_I>),
};

}  // namespace PM
