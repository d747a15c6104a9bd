#include "ui/UIShaderTexture.h"

#include "render/RenderShader.h"
#include "render/ShaderPhong.h"
#include "render/ShaderTexture.h"
#include "render/TileTexture2D.h"

namespace PM {

Texture2D_I* UIShaderTexture(const RenderShader_I* shader) {
  if (IsNilObject(shader)) return nullptr;
  const ShaderExpression_I* surface = shader->m_surface.Get();
  if (IsNilObject(surface) || !surface->IsA(ShaderPhong_I::kClassId)) return nullptr;
  const ShaderExpression_I* color = static_cast<const ShaderPhong_I*>(surface)->m_color.Get();
  if (IsNilObject(color) || !color->IsA(ShaderTexture_I::kClassId)) return nullptr;
  Texture2D_I* texture = static_cast<const ShaderTexture_I*>(color)->m_texture.Get();
  return IsNilObject(texture) ? nullptr : texture;
}

void UITileTexCoords(const Texture2D_I* texture, int32_t tile, float out[8]) {
  static const float kWhole[8] = {0, 0, 1, 0, 0, 1, 1, 1};
  for (int i = 0; i < 8; ++i) out[i] = kWhole[i];
  if (!texture || !texture->IsA(TileTexture2D_I::kClassId) || tile < 0) return;
  const Array<Vector2f>& corners = static_cast<const TileTexture2D_I*>(texture)->m_tileTexCoordArray;
  if (int64_t(tile) * 4 + 4 > corners.Count()) return;
  for (int i = 0; i < 4; ++i) {
    out[2 * i] = corners[tile * 4 + i].x;
    out[2 * i + 1] = corners[tile * 4 + i].y;
  }
}

}  // namespace PM
