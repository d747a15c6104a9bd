// Blends weighted input values into outputs written through a connection group.
#pragma once

#include "classes/EngineClass.h"
#include "classes/Object.h"
#include "scene/VertexData.h"

namespace PM {

class BlendControl_I;
class ConnectionGroup_I;

class PoseBlend_I : public EngineClass<PoseBlend_I, Object_I, ClassId::PoseBlend, "PoseBlend"> {
 public:
  static void Define();
  // Values of PoseBlend.OperatorEnum.
  enum : uint32_t {
    kOperatorAdd = 0x01FFF0C3,
    kOperatorBlend = 0x02FFF0C3,
    kOperatorMin = 0x03FFF0C3,
    kOperatorMax = 0x04FFF0C3,
    kOperatorMul = 0x05FFF0C3
  };

  // Slot 1: blends the weighted inputs onto PoseDefault and writes output j through connection j of
  // the connection group. Hosts call it; the frame does not.
  virtual void Evaluate();

  Array<Obj<BlendControl_I>> m_blendControl;
  Array<float> m_poseDefault;
  Array<uint32_t> m_operatorArray;
  Array<Obj<VertexDataF32_I>> m_valueArray;
  Obj<ConnectionGroup_I> m_connectionGroup;
};

}  // namespace PM
