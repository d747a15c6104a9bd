#include "import/MaterialConversion.h"

#include <algorithm>
#include <cmath>

namespace PM::Import {

namespace {

// The largest exponent the engines take (OpenGL clamps GL_SHININESS to 128).
constexpr float kMaxShininess = 128;
// Transparency below this draws opaque in both engines (1/512).
constexpr float kVisibleTransparency = 1.0f / 512;

float Clamp01(float v) { return std::isfinite(v) ? std::clamp(v, 0.0f, 1.0f) : 0.0f; }
Vector3f Colour(const float* c) { return {Clamp01(c[0]), Clamp01(c[1]), Clamp01(c[2])}; }

}  // namespace

EngineMaterial ConvertMaterial(const Material& m, bool textureHasAlpha, bool textureAlphaGraded) {
  EngineMaterial e;
  const Vector3f base = Colour(m.diffuse);
  float opacity = std::isfinite(m.diffuse[3]) ? Clamp01(m.diffuse[3]) : 1.0f;
  // Nothing of such a material would show, which the formats of a known slip do not mean: their exporters
  // write 0 where they mean "no transparency" (decimal commas read as 0, a diffuse alpha left at 0).
  // Elsewhere (AC3D's `trans 1`) an opacity of 0 hides the faces, as the file says.
  if (m.opacityZeroSlip && opacity <= kVisibleTransparency && !m.opacityTexture && !textureHasAlpha) {
    opacity = 1;
    e.invisibleMadeOpaque = true;
  }
  if (m.metalRoughness) {
    // Metal-roughness to Phong. Fixed function has no environment for a metal to reflect, so a metal
    // keeps half its base colour as diffuse instead of going black; the highlight takes the dielectric
    // 0.04 or the metal's colour, dimmed as the surface roughens; the exponent is Blinn-Phong's
    // equivalent of the GGX width a = roughness^2: n = 2 / a^2 - 2.
    const float metal = Clamp01(m.metallic),
                rough = std::isfinite(m.roughness) ? std::clamp(m.roughness, 0.0f, 1.0f) : 1;
    e.diffuse = base * (1 - 0.5f * metal);
    const Vector3f f0 = Vector3f{0.04f, 0.04f, 0.04f} * (1 - metal) + base * metal;
    e.specular = f0 * (1 - rough);
    const float a = std::max(rough * rough, 0.01f);
    e.shininess = std::clamp(2 / (a * a) - 2, 1.0f, kMaxShininess);
  } else {
    e.diffuse = base;
    // An exponent below 1 (none given, or a 0..1 gloss some exporters write) spreads the highlight
    // over the whole lit side and turns the surface white: such a material gets no highlight.
    const float strength = std::isfinite(m.shininessStrength) ? std::max(m.shininessStrength, 0.0f) : 1.0f;
    if (std::isfinite(m.shininess) && m.shininess >= 1) {
      const Vector3f s = Colour(m.specular) * strength;
      e.specular = {std::min(s.x, 1.0f), std::min(s.y, 1.0f), std::min(s.z, 1.0f)};
      e.shininess = std::min(m.shininess, kMaxShininess);
    }
  }
  if (e.specular == Vector3f{0, 0, 0}) e.shininess = 0;
  // The emissive factor multiplies the emissive texture, which the engines do not draw: alone it would
  // light the whole surface at the texture's brightest.
  e.emissionDropped = m.emissiveTexture && Colour(m.emissive) != Vector3f{0, 0, 0};
  if (!m.emissiveTexture) e.emission = Colour(m.emissive);
  e.cull = !m.twoSided && !m.sidesUnknown;
  // Alpha: blending when the file asks for it or states an opacity below 1, or when a file that names no
  // mode (not glTF) gives a texture of graded alpha (a glow, a cloud); a cut-out when it asks for one, or
  // when such a file's texture has alpha of only 0 and 255.
  const bool noMode = m.alphaMode == 0 && !m.metalRoughness;
  const bool blend = (m.alphaMode == 2 && !e.invisibleMadeOpaque) ||
                     (m.alphaMode == 0 && opacity < 1 - kVisibleTransparency) ||
                     (noMode && textureHasAlpha && textureAlphaGraded);
  if (blend) {
    e.transparency = std::max(1 - opacity, kVisibleTransparency);
    e.textureAlphaMode = kTextureAlphaBlend;
  } else if (m.alphaMode == 1 || (noMode && textureHasAlpha)) {
    e.textureAlphaMode = kTextureAlphaMask;
  }
  return e;
}

}  // namespace PM::Import
