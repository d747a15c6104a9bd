// TextureImage: a decoded texture as an engine image the render engines take: both sides powers of two
// (the engines refuse other sizes), rows bottom first, with or without its alpha.
#pragma once

#include "core/Obj.h"
#include "engine/Image.h"
#include "import/ImportScene.h"

namespace PM::Import {

// The largest side an imported texture keeps; larger ones are scaled down to it.
constexpr uint32_t kMaxTextureSide = 4096;

// The side a texture of `side` texels gets: the next power of two, at least 2 and at most kMaxTextureSide.
uint32_t PowerOfTwoSide(uint32_t side);

// `texture` scaled bilinearly to PowerOfTwoSide of each side: 4 bytes a pixel with `alpha`, else 3. A
// `cutoff` from 0 to 1 makes each alpha 255 above it and 0 otherwise, so that the engines' cut-out (alpha
// above one half) cuts where the file asks. Nil when the texture has no pixels or fewer bytes than its
// size needs.
Obj<Image_I> MakeTextureImage(const Texture& texture, bool alpha, float cutoff = -1);

}  // namespace PM::Import
