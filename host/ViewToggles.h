// The drawing states of pm-run's model view that keys switch: filled, wireframe or points, culling,
// lighting, textures and the skeleton, applied through the model's render shaders and the model
// channel's pass word.
#pragma once

#include <cstdint>

#include <pelmora/render/RenderChannel.h>

#include "ModelView.h"

namespace PMHost {

class ViewToggles {
 public:
  // Takes the model channel's own pass word (--passes chose it) as the filled one.
  void Start(const ModelView& view, PM::RenderChannel_I* channel);
  void NextFill();  // filled, wireframe, points, in turn
  // 'b': the sides as the file says, every back face culled, both sides drawn, in turn.
  void NextSides();
  // 'l': with the files' own lights, the next of ViewLights; without, the lighting on or off.
  void NextLighting();
  void ToggleTextures();
  void ToggleSkeleton();
  // How the model channel draws the faces now: "filled", "wireframe", "points" or "faces not drawn".
  const char* DrawMode() const;

 private:
  void ApplyShaders();
  void ApplyPasses();

  const ModelView* m_view = nullptr;
  PM::RenderChannel_I* m_channel = nullptr;
  int32_t m_passes = PM::kPassMain;  // the model channel's own pass word
  int m_fill = 0;                    // 0 filled, 1 wireframe, 2 points
  int m_sides = 0;                   // 0 as the file says, 1 backs culled, 2 both sides
  bool m_light = true, m_textures = true, m_skeleton = false;
  ViewLights m_lights = ViewLights::kFileAndLamp;
};

}  // namespace PMHost
