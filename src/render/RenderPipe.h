// The output window and render engine of an application, with the format the engine opens.
#pragma once

#include "classes/EngineClass.h"
#include "classes/Object.h"

namespace PM {

class RenderPipe_I : public EngineClass<RenderPipe_I, Object_I, ClassId::RenderPipe, "RenderPipe"> {
 public:
  static void Define();
  // A window position that asks for the window to be centred on the screen.
  static constexpr float kWindowCentred = -2147483648.0f;

  String m_renderEngineType = "Auto";
  bool m_fullscreen = false;
  Vector2f m_resolution = {640.0f, 480.0f};
  float m_refreshRate = 60.0f;
  int32_t m_swapInterval = 0;
  int32_t m_colorBits = 16;
  int32_t m_alphaBits = 0;
  int32_t m_depthBits = 16;
  int32_t m_stencilBits = 0;
  int32_t m_bufferBackColorCount = 1;
  int32_t m_bufferBackgroundColorCount = 0;
  int32_t m_bufferBackgroundDepthStencilCount = 0;
  bool m_bufferFrontColorAccessEnable = false;
  bool m_bufferBackColorAccessEnable = false;
  bool m_bufferBackDepthStencilAccessEnable = false;
  bool m_windowBorderEnable = true;
  Vector2f m_windowPosition = {kWindowCentred, kWindowCentred};
  String m_windowTitle;
  int32_t m_enableTexture = 1;
  int32_t m_enableTextureThread = 1;
  int32_t m_maxTextureUnit = 2;
  bool m_windowVisibility = true;
  float m_textureLoadTimeLimit = -1.0f;
  String m_imagePath = "Images/";
  bool m_windowResizeable = true;
  bool m_windowMaximize = false;
  int32_t m_maxTextureSizeShift = 0;
  float m_swapRateLimit = 120.0f;
};

}  // namespace PM
