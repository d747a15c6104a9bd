// VertexGeneratorFG: a vertex generator driven by the face-generation module (age, gender,
// caricature, race and shape controls).
#pragma once

#include "classes/FileObject.h"
#include "render/engine/VertexGenerator.h"

namespace PM {

class VertexGeneratorFG_I
    : public EngineClass<VertexGeneratorFG_I, VertexGenerator_I, ClassId::VertexGeneratorFG, "VertexGeneratorFG"> {
 public:
  static void Define();
  Obj<FileObject_I> m_meshFile, m_matchFile, m_dataFile, m_controlFile;
  Array<float> m_symmetricControl;
  Array<float> m_asymmetricControl;
  bool m_useOriginalVertices = false;
  Array<float> m_age, m_gender, m_caricature, m_race, m_shape;  // held by the module once it is loaded
};

}  // namespace PM
