// VertexData and its typed subclasses: one extra per-vertex stream of a polygon geometry (texture
// coordinates, colours, weights, matrices), tagged with a usage word (kind << 16 | slot).
#pragma once

#include "classes/Object.h"
#include "core/Matrix4f.h"

namespace PM {

class VertexData_I : public EngineClass<VertexData_I, Object_I, ClassId::VertexData, "VertexData"> {
 public:
  static void Define();

  // The raw elements of DataArray, for the renderers; every typed stream answers these three slots.
  virtual const void* GetData() = 0;
  virtual void ReservedSlot2() = 0;
  virtual int32_t GetCount() = 0;

  uint32_t m_usage = 0;
};

// A typed stream: its one member DataArray holds an E per vertex.
template <class E, uint32_t Id, EngineClassName Name>
class TypedVertexData_I : public EngineClass<TypedVertexData_I<E, Id, Name>, VertexData_I, Id, Name> {
 public:
  static void Define() {
    const ClassDef classes[] = {ConcreteClass<TypedVertexData_I>()};
    DefineClasses(classes);
    const MemberDef members[] = {FieldMember<&TypedVertexData_I::m_data>(MakeMemberId(1, Id), "DataArray")};
    DefineMembers(members);
  }

  const void* GetData() override { return m_data.Data(); }
  void ReservedSlot2() override {}
  int32_t GetCount() override { return m_data.Count(); }

  Array<E> m_data;  // member DataArray
};

using VertexDataF32_I = TypedVertexData_I<float, ClassId::VertexDataF32, "VertexDataF32">;
using VertexDataVector2f_I = TypedVertexData_I<Vector2f, ClassId::VertexDataVector2f, "VertexDataVector2f">;
using VertexDataVector3f_I = TypedVertexData_I<Vector3f, ClassId::VertexDataVector3f, "VertexDataVector3f">;
using VertexDataVector4f_I = TypedVertexData_I<Vector4f, ClassId::VertexDataVector4f, "VertexDataVector4f">;
using VertexDataMatrix4f_I = TypedVertexData_I<Matrix4f, ClassId::VertexDataMatrix4f, "VertexDataMatrix4f">;

}  // namespace PM
