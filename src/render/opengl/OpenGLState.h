// The shadow of the fixed-function OpenGL state an OpenGL render engine changes (lighting, material,
// alpha test, depth, blending, culling, polygon mode and offset, texture units, the program object),
// sent to OpenGL in one go by Apply.
#pragma once

#include <GL/gl.h>

#include <cstdint>

namespace PM {

struct OpenGLAPI;
class OpenGLEXT;

struct OpenGLTextureUnitState {
  int32_t unit = 0;
  uint8_t texture2D = 0;
  uint8_t cubeMap = 0;
  int32_t genModeS = GL_SPHERE_MAP;
  int32_t genModeT = GL_SPHERE_MAP;
  int32_t genModeR = GL_EYE_LINEAR;
  uint8_t genS = 0, genT = 0, genR = 0;
  int32_t envMode = GL_MODULATE;

  void Reset(int32_t index);
  // Needs a current context; selects the unit when multitexturing is there and ends on unit 0.
  void Apply(const OpenGLAPI& api, const OpenGLEXT& ext) const;
};

struct OpenGLState {
  static constexpr int kMaxUnits = 8;

  int32_t unitCount = 0;  // texture units in use
  // Fields marked engine* belong to the render engine: Apply never sends them; Reset gives their start.
  // No engine reads them yet; they keep their places because the record's layout is fixed field by field.
  int32_t engineEnum = 0x800;
  float engineFloats[3] = {0.0f, 1.0f, 1.0f};
  float engineColor0[4] = {0, 0, 0, 0};
  float materialAmbient[4] = {0.8f, 0.8f, 0.8f, 1.0f};
  float materialDiffuse[4] = {0.8f, 0.8f, 0.8f, 1.0f};
  float materialEmission[4] = {0, 0, 0, 1.0f};
  float materialSpecular[4] = {0, 0, 0, 1.0f};
  float materialShininess = 0.0f;
  float engineColor1[4] = {0, 0, 0, 1.0f};
  int32_t engineColorControl = 0x81F9;  // GL_SINGLE_COLOR
  uint8_t alphaTest = 0;
  uint8_t blend = 0;
  uint8_t cullFace = 0;
  uint8_t colorMaterial = 0;
  uint8_t depthTest = 1;
  uint8_t engineFlag0 = 0;
  uint8_t lighting = 0;
  uint8_t normalize = 1;
  uint8_t polygonOffsetLine = 0;
  uint8_t polygonOffsetFill = 0;
  uint8_t engineFlag1 = 0;
  int32_t alphaFunc = GL_ALWAYS;
  float alphaRef = 0.0f;
  // Not OpenGL's defaults (GL_ONE, GL_ZERO): applying a fresh record changes them.
  int32_t blendSource = GL_ZERO;
  int32_t blendDestination = GL_SRC_COLOR;
  int32_t cullFaceMode = GL_BACK;
  int32_t depthFunc = GL_LEQUAL;
  uint8_t depthWrite = 1;
  float lineWidth = 1.0f;
  int32_t polygonMode = GL_FILL;
  float polygonOffsetFactor = 0.0f;
  float polygonOffsetUnits = 0.0f;
  int32_t engineFunc = GL_ALWAYS;
  int32_t engineWords[2] = {0, 0};
  int32_t engineOps[3] = {GL_KEEP, GL_KEEP, GL_KEEP};
  OpenGLTextureUnitState units[kMaxUnits];
  uint32_t engineData[88] = {};  // left alone by Reset
  uint32_t program = 0;          // current program object; 0 is the fixed-function pipeline

  // Every field to its start value (all 8 unit records too); at most 8 units are in use.
  void Reset(int32_t unitsInUse);
  // Sends the record; needs a current context and a resolved API table.
  void Apply(const OpenGLAPI& api, const OpenGLEXT& ext) const;
};

}  // namespace PM
