#include "geometry/Geometry.h"

#include "classes/EngineClassRegistry.h"
namespace PM {

using T = TGeometry_I;

void SGeometry_I::Define() {
  const ClassDef classes[] = {
      AbstractClass<SGeometry_I>(),
      AbstractClass<TGeometry_I>(),
  };
  DefineClasses(classes);
  const MemberDef members[] = {
      AccessorMember<&T::GetShader, &T::SetShader>(0x01FFF061, "Shader", 0x4),
      FieldMember<&T::m_sortCenter>(0x02FFF061, "SortCenter"),
      FieldMember<&T::m_sortIndex>(0x03FFF061, "SortIndex"),
      FieldMember<&T::m_colorMul>(0x04FFF061, "ColorMul"),
      FieldMember<&T::m_colorAdd>(0x05FFF061, "ColorAdd"),
  };
  DefineMembers(members);
}

int32_t SGeometry_I::Draw(RenderEngine*, const Vector4f*) { return 0; }

void TGeometry_I::SetShader(ScriptObject* shader) {
  if (shader && !IsNilObject(shader) && !shader->IsA(ClassId::RenderShader)) {
    ScriptObject::ExpectFailed(shader, ClassId::RenderShader);
    shader = nullptr;
  }
  m_shader = shader;
}

int32_t TGeometry_I::DrawFromSNode(RenderEngine* engine, int32_t frameStamp) {
  ScriptObject* s = GetSNode();
  if (!s->IsA(SGeometry_I::kClassId)) return 0;
  if (!static_cast<SGeometry_I*>(s)->Draw(engine, &m_colorMul)) return 0;
  m_updateStamp = frameStamp;
  return 1;
}

// Entered in the engine class table, which defines it in the order list's order.
static const bool kClassEntered = EnterEngineClasses<SGeometry_I>();

}  // namespace PM
