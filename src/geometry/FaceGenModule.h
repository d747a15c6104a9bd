// FaceGenModule: the interface of the sibling face-generation module, which models faces from age,
// gender, caricature, race and shape controls, and the loader that makes its object.
#pragma once

#include <cstdint>

#include "core/Array.h"
#include "core/Vector3f.h"

namespace PM {

// Implemented by the module. Its object lives in a counted block of the engine (held through Ptr), so
// the module's own type record destroys it; the module file stays loaded once it has been loaded.
// Results are 0 on success, else a result code.
class FaceGenModule {
 public:
  // 0-2: the model's files, as full paths.
  virtual uint32_t LoadControlFile(const char* path) = 0;
  virtual uint32_t LoadDataFile(const char* path) = 0;
  virtual uint32_t LoadMeshFile(const char* meshPath, const char* matchPath) = 0;
  // 3: one vertex per position of `input` into `out` for the current controls; with
  //    `useOriginal` the positions are taken as they are.
  virtual uint32_t Generate(const Array<Vector3f>* input, Array<Vector3f>* out, bool useOriginal) = 0;
  // 4, 5: the control vectors in and out.
  virtual uint32_t SetControls(const Array<float>& symmetric, const Array<float>& asymmetric) = 0;
  virtual uint32_t GetControls(Array<float>* symmetric, Array<float>* asymmetric) = 0;
  // 6-16: the controls seen as named values.
  virtual float GetAge(int32_t i) = 0;
  virtual void SetAge(int32_t i, float v) = 0;
  virtual float GetGender(int32_t i) = 0;
  virtual void SetGender(int32_t i, float v) = 0;
  virtual float GetCaricature(int32_t i) = 0;
  virtual void SetCaricature(int32_t i, float v) = 0;
  virtual float GetRace(int32_t column, int32_t row) = 0;
  virtual void SetRace(int32_t column, int32_t row, float v) = 0;
  virtual int32_t GetShapeCount() = 0;
  virtual float GetShape(int32_t i) = 0;
  virtual void SetShape(int32_t i, float v) = 0;
  // 17: the vertices for the current controls, written over `vertices` and onto `positions`.
  virtual uint32_t WriteVertices(Array<Vector3f>* vertices, Array<Vector3f>* positions) = 0;
  // 18: not called by the engine.
  virtual void Reserved18() {}
  // 19, 20: module operations on the controls, with the generator's argument.
  virtual uint32_t ControlOperation19(Array<Vector3f>* arg) = 0;
  virtual uint32_t ControlOperation20(Array<Vector3f>* arg) = 0;

  // Loads "Pelmora010276FG.DLL" and calls its "CreateFaceGenModule"; null (logged) when either fails.
  static FaceGenModule* CreateFaceGenModule();

 protected:
  FaceGenModule() = default;
  ~FaceGenModule() = default;
};

// What the module exports under "CreateFaceGenModule": a new object in a counted block, count 0.
using FaceGenModuleFactory = FaceGenModule* (*)();

}  // namespace PM
