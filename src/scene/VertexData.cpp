#include "scene/VertexData.h"

#include "scene/EngineClassRegistry.h"

namespace PM {

static void DefineVertexDataClasses() {
  const ClassDef classes[] = {
      AbstractClass<VertexData_I>(Object_I::kClassId, "VertexData"),
      ConcreteClass<VertexDataF32_I>(VertexData_I::kClassId, "VertexDataF32"),
      ConcreteClass<VertexDataVector2f_I>(VertexData_I::kClassId, "VertexDataVector2f"),
      ConcreteClass<VertexDataVector3f_I>(VertexData_I::kClassId, "VertexDataVector3f"),
      ConcreteClass<VertexDataVector4f_I>(VertexData_I::kClassId, "VertexDataVector4f"),
      ConcreteClass<VertexDataMatrix4f_I>(VertexData_I::kClassId, "VertexDataMatrix4f"),
  };
  DefineClasses(classes);
  const MemberDef members[] = {
      FieldMember<&VertexData_I::m_usage>(0x01FFF0A0, "Usage"),
      FieldMember<&VertexDataF32_I::m_data>(0x01FFF0A1, "DataArray"),
      FieldMember<&VertexDataVector2f_I::m_data>(0x01FFF0A2, "DataArray"),
      FieldMember<&VertexDataVector3f_I::m_data>(0x01FFF0A3, "DataArray"),
      FieldMember<&VertexDataVector4f_I::m_data>(0x01FFF0A4, "DataArray"),
      FieldMember<&VertexDataMatrix4f_I::m_data>(0x01FFF0A5, "DataArray"),
  };
  DefineMembers(members);
}

static const bool kEntry = AddEngineClassEntry(0x0A0, &DefineVertexDataClasses);

}  // namespace PM
