// VertexGeneratorFG: a vertex generator driven by the face-generation module (age, gender,
// caricature, race and shape controls). The named controls live in the module: without one they read
// 0 and setting them does nothing.
#pragma once

#include "classes/FileObject.h"
#include "core/Obj.h"
#include "engine/VertexGenerator.h"
#include "geometry/FaceGenModule.h"

namespace PM {

// The named controls, each an indexed member over module operations.
enum class FaceControl { Age, Gender, Caricature, Race, Shape };

class VertexGeneratorFG_I
    : public EngineClass<VertexGeneratorFG_I, VertexGenerator_I, ClassId::VertexGeneratorFG, "VertexGeneratorFG"> {
 public:
  static void Define();
  // Makes the module on the first call (EUnimplemented when it cannot be loaded), then loads the
  // files named by the file objects, each as its recorded read path followed by its FileName.
  ResultCode Prepare() override;
  ResultCode Generate(Array<Vector3f>* positions) override;
  ResultCode Apply(Array<Vector3f>* positions) override;
  ResultCode Operation4(Array<Vector3f>* arg) override;
  ResultCode Operation5(Array<Vector3f>* arg) override;
  ResultCode GenerateInto(Array<Vector3f>* positions, Array<Vector3f>* out) override;

  // Setting either control vector sizes the other to its count (new elements 0) and hands both to
  // the module.
  void GetSymmetricControl(uint32_t, Array<float>* out) const { *out = m_symmetricControl; }
  void SetSymmetricControl(uint32_t, const Array<float>* in);
  void GetAsymmetricControl(uint32_t, Array<float>* out) const { *out = m_asymmetricControl; }
  void SetAsymmetricControl(uint32_t, const Array<float>* in);

  // Indexes outside a control's element count (Race's diagonal included) read 0 and never reach the
  // module; a set is followed by reading the control vectors back.
  template <FaceControl C>
  float GetControl(int32_t i);
  template <FaceControl C>
  void SetControl(int32_t i, float v);
  template <FaceControl C>
  int32_t ControlCount();
  void RemoveControls(int32_t, int32_t) {}

  FaceGenModule* GetModule() const { return m_module.Get(); }
  const Array<Vector3f>& GetVertices() const { return m_vertices; }

  Obj<FileObject_I> m_meshFile, m_matchFile, m_dataFile, m_controlFile;
  Array<float> m_symmetricControl;
  Array<float> m_asymmetricControl;
  Array<Vector3f> m_vertices;  // the generated vertices
  bool m_useOriginalVertices = false;

 private:
  // The place in the module a control index names: false when it names none.
  template <FaceControl C>
  bool InRange(int32_t i);
  void ReadControlsBack();
  void HandControlsOver();

  Ptr<FaceGenModule> m_module;
};

}  // namespace PM
