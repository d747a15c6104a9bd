// SSoundEmitter and TSoundEmitter: a sound placed in the scene; the description names the file,
// the instance plays it.
#pragma once

#include "classes/FileObject.h"
#include "scene/Leaf.h"

namespace PM {

class SSoundEmitter_I : public EngineClass<SSoundEmitter_I, SLeaf_I, ClassId::SSoundEmitter, "SSoundEmitter"> {
 public:
  static void Define();
  Obj<FileObject_I> m_fileObject;
};

class TSoundEmitter_I
    : public EngineClass<TSoundEmitter_I, TLeaf_I, ClassId::TSoundEmitter, "TSoundEmitter", SSoundEmitter_I> {
 public:
  int32_t m_playCount = 0;
  bool m_pause = false;
  bool m_loop = false;
  float m_volume = 0;
  float m_categoryVolume = 0;
  float m_pitch = 1.0f;
  int32_t m_sampleRate = 44100;
  int32_t m_sampleBits = 8;
  int32_t m_channels = 1;
  float m_playTime = 0;
  Vector3f m_position{0, 0, 0};
  Vector3f m_velocity{0, 0, 0};
};

}  // namespace PM
