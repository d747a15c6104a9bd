// The script face of a video playing into a texture: length, position, pause and size.
#pragma once

#include "classes/EngineClass.h"
#include "classes/Object.h"

namespace PM {

class Texture2DVideo_I : public EngineClass<Texture2DVideo_I, Object_I, ClassId::Texture2DVideo, "Texture2DVideo"> {
 public:
  static void Define();
  double m_videoLength = -1.0;
  double m_videoPosition = -1.0;
  bool m_paused = false;
  Vector2f m_videoDimension = {0.0f, 0.0f};
};

}  // namespace PM
