// The script face of a video playing into a texture: length, position, pause and size.
#pragma once

#include "classes/EngineClass.h"
#include "classes/Object.h"

namespace PM {

class Texture2DVideo_I : public Object_I {
 public:
  static constexpr uint32_t kClassId = ClassId::Texture2DVideo;
  static const TypeRecord& GetTypeRecord() { return EngineTypeRecord<Texture2DVideo_I>("Texture2DVideo"); }
  static ScriptObject* Create() { return NewEngineObject<Texture2DVideo_I>(); }
  static ScriptObject* CreateExtra(uint32_t extraBytes) { return NewEngineObject<Texture2DVideo_I>(extraBytes); }

  double m_videoLength = -1.0;
  double m_videoPosition = -1.0;
  bool m_paused = false;
  Vector2f m_videoDimension = {0.0f, 0.0f};
};

}  // namespace PM
