// MaterialConversion: a file's material as the engine's fixed-function values (docs/decisions/import.md,
// "Imported materials"), kept apart from the objects so that the formulas can be checked alone.
#pragma once

#include "core/Vector3f.h"
#include "import/ImportScene.h"

namespace PM::Import {

// Texture alpha modes the conversion chooses (the engine's numbering).
enum : int32_t { kTextureOpaque = 0, kTextureAlphaMask = 1, kTextureAlphaBlend = 3 };

struct EngineMaterial {
  Vector3f diffuse{0.8f, 0.8f, 0.8f};
  Vector3f specular{0, 0, 0};
  Vector3f emission{0, 0, 0};  // goes into AmbientColor, which both engines draw as emission
  float shininess = 0;
  float transparency = 0;
  bool cull = true;  // false where the file says two-sided or cannot say
  // How the diffuse texture's alpha is used; opaque textures are handed over without alpha.
  int32_t textureAlphaMode = kTextureOpaque;
  // The file's opacity was 0 with no texture to give it a shape: drawn opaque, as an exporter's slip.
  bool invisibleMadeOpaque = false;
  // The file's emission scales an emissive texture the engines do not draw: left out.
  bool emissionDropped = false;
};

// The conversion. `textureHasAlpha` tells whether the material's diffuse texture (when it has one
// that was read) has alpha below 255 anywhere, `textureAlphaGraded` whether some of it lies between 0 and
// 255. A material of a known slip (`opacityZeroSlip`) whose opacity is 0 (1/512 or less) with neither an
// opacity texture nor a diffuse texture with alpha is drawn opaque; an emissive colour that scales an
// emissive texture is not drawn. Where the file names no alpha mode, a texture's graded alpha blends and
// alpha of only 0 and 255 cuts out.
EngineMaterial ConvertMaterial(const Material& m, bool textureHasAlpha, bool textureAlphaGraded = false);

}  // namespace PM::Import
