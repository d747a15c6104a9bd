#include "ViewToggles.h"

#include <pelmora/render/RenderShader.h>
#include <pelmora/render/ShaderPhong.h>
#include <pelmora/scene/NodeWalk.h>

namespace PMHost {

using namespace PM;

void ViewToggles::Start(const ModelView& view, RenderChannel_I* channel) {
  m_view = &view;
  m_channel = channel;
  m_passes = channel->GetIntField();
}

void ViewToggles::NextFill() {
  m_fill = (m_fill + 1) % 3;
  ApplyPasses();
}

void ViewToggles::NextSides() {
  m_sides = (m_sides + 1) % 3;
  ApplyShaders();
}

void ViewToggles::NextLighting() {
  if (!m_view->fileLights.empty()) {
    m_lights = ViewLights((int(m_lights) + 1) % 3);
    ApplyLights(*m_view, m_lights);
    return;
  }
  m_light = !m_light;
  ApplyShaders();
}

void ViewToggles::ToggleTextures() {
  m_textures = !m_textures;
  ApplyShaders();
}

void ViewToggles::ToggleSkeleton() {
  m_skeleton = !m_skeleton;
  ApplyPasses();
}

void ViewToggles::ApplyShaders() {
  for (const ModelView::Shader& entry : m_view->shaders) {
    auto* shader = static_cast<RenderShader_I*>(entry.shader.Get());
    // Lighting off turns every shader's off; on gives back the file's own.
    shader->m_cullEnable = m_sides == 0 ? entry.cull : m_sides == 1;
    shader->m_lightEnable = m_light && entry.light;
    if (auto* phong = As<ShaderPhong_I>(shader->m_surface.Get()))
      phong->m_color = m_textures ? Obj<ShaderExpression_I>(static_cast<ShaderExpression_I*>(entry.color.Get()))
                                  : Obj<ShaderExpression_I>();
  }
}

void ViewToggles::ApplyPasses() {
  // Wireframe: the faces' edges alone, hidden ones left out by the depth the lines themselves write;
  // points: their corners so.
  const int32_t fills[] = {m_passes, int32_t(kPassExtra3), int32_t(kPassPoints)};
  int32_t passes = fills[m_fill];
  if (m_skeleton) passes |= int32_t(kPassDebugSkeleton);
  m_channel->SetIntField(passes);
}

const char* ViewToggles::DrawMode() const {
  const auto passes = uint32_t(m_channel->GetIntField());
  if (passes & kPassMain) return "filled";
  if (passes & (kPassExtra2 | kPassExtra3)) return "wireframe";
  if (passes & kPassPoints) return "points";
  return "faces not drawn";
}

}  // namespace PMHost
