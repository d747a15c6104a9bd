// VertexData and its typed subclasses: one extra per-vertex stream of a polygon geometry (texture
// coordinates, colours, weights, matrices), tagged with a usage word (kind << 16 | slot).
#pragma once

#include "classes/Object.h"
#include "core/Matrix4f.h"

namespace PM {

class VertexData_I : public Object_I {
 public:
  static constexpr uint32_t kClassId = ClassId::VertexData;
  static const TypeRecord& GetTypeRecord() { return EngineTypeRecord<VertexData_I>("VertexData"); }

  uint32_t m_usage = 0;
};

class VertexDataF32_I : public VertexData_I {
 public:
  static constexpr uint32_t kClassId = ClassId::VertexDataF32;
  static constexpr const char* kClassName = "VertexDataF32";
  static const TypeRecord& GetTypeRecord() { return EngineTypeRecord<VertexDataF32_I>("VertexDataF32"); }
  static ScriptObject* Create() { return NewEngineObject<VertexDataF32_I>(); }
  static ScriptObject* CreateExtra(uint32_t extraBytes) { return NewEngineObject<VertexDataF32_I>(extraBytes); }

  Array<float> m_data;  // member DataArray
};

class VertexDataVector2f_I : public VertexData_I {
 public:
  static constexpr uint32_t kClassId = ClassId::VertexDataVector2f;
  static constexpr const char* kClassName = "VertexDataVector2f";
  static const TypeRecord& GetTypeRecord() { return EngineTypeRecord<VertexDataVector2f_I>("VertexDataVector2f"); }
  static ScriptObject* Create() { return NewEngineObject<VertexDataVector2f_I>(); }
  static ScriptObject* CreateExtra(uint32_t extraBytes) { return NewEngineObject<VertexDataVector2f_I>(extraBytes); }

  Array<Vector2f> m_data;  // member DataArray
};

class VertexDataVector3f_I : public VertexData_I {
 public:
  static constexpr uint32_t kClassId = ClassId::VertexDataVector3f;
  static constexpr const char* kClassName = "VertexDataVector3f";
  static const TypeRecord& GetTypeRecord() { return EngineTypeRecord<VertexDataVector3f_I>("VertexDataVector3f"); }
  static ScriptObject* Create() { return NewEngineObject<VertexDataVector3f_I>(); }
  static ScriptObject* CreateExtra(uint32_t extraBytes) { return NewEngineObject<VertexDataVector3f_I>(extraBytes); }

  Array<Vector3f> m_data;  // member DataArray
};

class VertexDataVector4f_I : public VertexData_I {
 public:
  static constexpr uint32_t kClassId = ClassId::VertexDataVector4f;
  static constexpr const char* kClassName = "VertexDataVector4f";
  static const TypeRecord& GetTypeRecord() { return EngineTypeRecord<VertexDataVector4f_I>("VertexDataVector4f"); }
  static ScriptObject* Create() { return NewEngineObject<VertexDataVector4f_I>(); }
  static ScriptObject* CreateExtra(uint32_t extraBytes) { return NewEngineObject<VertexDataVector4f_I>(extraBytes); }

  Array<Vector4f> m_data;  // member DataArray
};

class VertexDataMatrix4f_I : public VertexData_I {
 public:
  static constexpr uint32_t kClassId = ClassId::VertexDataMatrix4f;
  static constexpr const char* kClassName = "VertexDataMatrix4f";
  static const TypeRecord& GetTypeRecord() { return EngineTypeRecord<VertexDataMatrix4f_I>("VertexDataMatrix4f"); }
  static ScriptObject* Create() { return NewEngineObject<VertexDataMatrix4f_I>(); }
  static ScriptObject* CreateExtra(uint32_t extraBytes) { return NewEngineObject<VertexDataMatrix4f_I>(extraBytes); }

  Array<Matrix4f> m_data;  // member DataArray
};

}  // namespace PM
