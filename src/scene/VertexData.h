// VertexData and its typed subclasses: one extra per-vertex stream of a polygon geometry (texture
// coordinates, colours, weights, matrices), tagged with a usage word (kind << 16 | slot).
#pragma once

#include "core/Matrix4f.h"
#include "scene/Object.h"

namespace PM {

class VertexData_I : public Object_I {
 public:
  static constexpr uint32_t kClassId = 0xFFFFF0A0;
  static const TypeRecord& GetTypeRecord() { return EngineTypeRecord<VertexData_I>("VertexData"); }

  // The raw elements of DataArray, for the renderers; every typed stream answers these three slots.
  virtual const void* GetData() = 0;
  virtual void ReservedSlot2() = 0;
  virtual int32_t GetCount() = 0;

  uint32_t m_usage = 0;
};

class VertexDataF32_I : public VertexData_I {
 public:
  static constexpr uint32_t kClassId = 0xFFFFF0A1;
  static constexpr const char* kClassName = "VertexDataF32";
  static const TypeRecord& GetTypeRecord() { return EngineTypeRecord<VertexDataF32_I>("VertexDataF32"); }
  static ScriptObject* Create() { return NewEngineObject<VertexDataF32_I>(); }
  static ScriptObject* CreateExtra(uint32_t extraBytes) { return NewEngineObject<VertexDataF32_I>(extraBytes); }

  const void* GetData() override { return m_data.Data(); }
  void ReservedSlot2() override {}
  int32_t GetCount() override { return m_data.Count(); }

  Array<float> m_data;  // member DataArray
};

class VertexDataVector2f_I : public VertexData_I {
 public:
  static constexpr uint32_t kClassId = 0xFFFFF0A2;
  static constexpr const char* kClassName = "VertexDataVector2f";
  static const TypeRecord& GetTypeRecord() { return EngineTypeRecord<VertexDataVector2f_I>("VertexDataVector2f"); }
  static ScriptObject* Create() { return NewEngineObject<VertexDataVector2f_I>(); }
  static ScriptObject* CreateExtra(uint32_t extraBytes) { return NewEngineObject<VertexDataVector2f_I>(extraBytes); }

  const void* GetData() override { return m_data.Data(); }
  void ReservedSlot2() override {}
  int32_t GetCount() override { return m_data.Count(); }

  Array<Vector2f> m_data;  // member DataArray
};

class VertexDataVector3f_I : public VertexData_I {
 public:
  static constexpr uint32_t kClassId = 0xFFFFF0A3;
  static constexpr const char* kClassName = "VertexDataVector3f";
  static const TypeRecord& GetTypeRecord() { return EngineTypeRecord<VertexDataVector3f_I>("VertexDataVector3f"); }
  static ScriptObject* Create() { return NewEngineObject<VertexDataVector3f_I>(); }
  static ScriptObject* CreateExtra(uint32_t extraBytes) { return NewEngineObject<VertexDataVector3f_I>(extraBytes); }

  const void* GetData() override { return m_data.Data(); }
  void ReservedSlot2() override {}
  int32_t GetCount() override { return m_data.Count(); }

  Array<Vector3f> m_data;  // member DataArray
};

class VertexDataVector4f_I : public VertexData_I {
 public:
  static constexpr uint32_t kClassId = 0xFFFFF0A4;
  static constexpr const char* kClassName = "VertexDataVector4f";
  static const TypeRecord& GetTypeRecord() { return EngineTypeRecord<VertexDataVector4f_I>("VertexDataVector4f"); }
  static ScriptObject* Create() { return NewEngineObject<VertexDataVector4f_I>(); }
  static ScriptObject* CreateExtra(uint32_t extraBytes) { return NewEngineObject<VertexDataVector4f_I>(extraBytes); }

  const void* GetData() override { return m_data.Data(); }
  void ReservedSlot2() override {}
  int32_t GetCount() override { return m_data.Count(); }

  Array<Vector4f> m_data;  // member DataArray
};

class VertexDataMatrix4f_I : public VertexData_I {
 public:
  static constexpr uint32_t kClassId = 0xFFFFF0A5;
  static constexpr const char* kClassName = "VertexDataMatrix4f";
  static const TypeRecord& GetTypeRecord() { return EngineTypeRecord<VertexDataMatrix4f_I>("VertexDataMatrix4f"); }
  static ScriptObject* Create() { return NewEngineObject<VertexDataMatrix4f_I>(); }
  static ScriptObject* CreateExtra(uint32_t extraBytes) { return NewEngineObject<VertexDataMatrix4f_I>(extraBytes); }

  const void* GetData() override { return m_data.Data(); }
  void ReservedSlot2() override {}
  int32_t GetCount() override { return m_data.Count(); }

  Array<Matrix4f> m_data;  // member DataArray
};

}  // namespace PM
