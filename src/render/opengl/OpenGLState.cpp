#include "render/opengl/OpenGLState.h"

#include <algorithm>
#include <cstring>
#include <iterator>

#include "core/Log.h"
#include "render/opengl/OpenGLExtensions.h"

namespace PM {

void OpenGLTextureUnitState::Reset(int32_t index) {
  *this = OpenGLTextureUnitState();
  unit = index;
}

void OpenGLTextureUnitState::Apply(const OpenGLAPI& api, const OpenGLEXT& ext) const {
  if (ext.glActiveTextureARB) ext.glActiveTextureARB(GLenum(GL_TEXTURE0_ARB + unit));
  api.glSwitch[texture2D != 0](GL_TEXTURE_2D);
  if (ext.Has(kGL_ARB_texture_cube_map)) api.glSwitch[cubeMap != 0](GL_TEXTURE_CUBE_MAP_ARB);
  api.glSwitch[genS != 0](GL_TEXTURE_GEN_S);
  api.glSwitch[genT != 0](GL_TEXTURE_GEN_T);
  api.glSwitch[genR != 0](GL_TEXTURE_GEN_R);
  api.glTexGeni(GL_S, GL_TEXTURE_GEN_MODE, genModeS);
  api.glTexGeni(GL_T, GL_TEXTURE_GEN_MODE, genModeT);
  api.glTexGeni(GL_R, GL_TEXTURE_GEN_MODE, genModeR);
  api.glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, envMode);
  if (ext.glActiveTextureARB) ext.glActiveTextureARB(GL_TEXTURE0_ARB);
}

void OpenGLState::Reset(int32_t unitsInUse) {
  uint32_t saved[std::size(engineData)];
  std::memcpy(saved, engineData, sizeof saved);
  *this = OpenGLState();
  std::memcpy(engineData, saved, sizeof saved);
  // Apply walks the units in use: more than the record holds would run past its unit records.
  unitCount = std::clamp(unitsInUse, 0, kMaxUnits);
  for (int i = 0; i < kMaxUnits; ++i) units[i].Reset(i);
}

void OpenGLState::Apply(const OpenGLAPI& api, const OpenGLEXT& ext) const {
  if (!api.glSwitch[0] || !api.glSwitch[1]) {
    Log(LogOutPipe(), kLevelError, "OpenGLState::Apply: the OpenGL API is not resolved.");
    return;
  }
  const auto& on = api.glSwitch;
  on[lighting != 0](GL_LIGHTING);
  on[normalize != 0](GL_NORMALIZE);
  on[colorMaterial != 0](GL_COLOR_MATERIAL);
  api.glMaterialfv(GL_FRONT, GL_AMBIENT, materialAmbient);
  api.glMaterialfv(GL_FRONT, GL_DIFFUSE, materialDiffuse);
  api.glMaterialfv(GL_FRONT, GL_SPECULAR, materialSpecular);
  api.glMaterialfv(GL_FRONT, GL_EMISSION, materialEmission);
  api.glMaterialf(GL_FRONT, GL_SHININESS, materialShininess);
  on[alphaTest != 0](GL_ALPHA_TEST);
  api.glAlphaFunc(GLenum(alphaFunc), alphaRef);
  on[depthTest != 0](GL_DEPTH_TEST);
  api.glDepthFunc(GLenum(depthFunc));
  api.glDepthMask(depthWrite);
  on[blend != 0](GL_BLEND);
  api.glBlendFunc(GLenum(blendSource), GLenum(blendDestination));
  on[cullFace != 0](GL_CULL_FACE);
  api.glCullFace(GLenum(cullFaceMode));
  api.glPolygonMode(GL_FRONT_AND_BACK, GLenum(polygonMode));
  api.glLineWidth(lineWidth);
  on[polygonOffsetLine != 0](GL_POLYGON_OFFSET_LINE);
  on[polygonOffsetFill != 0](GL_POLYGON_OFFSET_FILL);
  api.glPolygonOffset(polygonOffsetFactor, polygonOffsetUnits);
  for (int i = std::min(unitCount, int32_t(kMaxUnits)) - 1; i >= 0; --i) units[i].Apply(api, ext);
  if (ext.glUseProgramObjectARB) ext.glUseProgramObjectARB(program);
}

}  // namespace PM
