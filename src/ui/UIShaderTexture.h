// The texture a UI shader draws with (its Surface's Color's Texture), and the texture coordinates of
// one tile of it.
#pragma once

#include <cstdint>

namespace PM {

class RenderShader_I;
class Texture2D_I;

// The shader's texture; nullptr when the shader or the chain through Surface, Color and Texture is
// missing or of other classes.
Texture2D_I* UIShaderTexture(const RenderShader_I* shader);

// The four corners of `tile` in `texture` as (u, v) for left-bottom, right-bottom, left-top, right-top.
// A tile outside a TileTexture2D's table (negative included), or any other texture, gives the whole
// texture.
void UITileTexCoords(const Texture2D_I* texture, int32_t tile, float out[8]);

}  // namespace PM
