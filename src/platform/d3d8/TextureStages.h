// The texture stage combiner of the software device: the colour and alpha operations of stages 0..7
// over a run of pixels, channel by channel, so that each operation is one tight loop.
#pragma once

#include <cstdint>

#include "platform/d3d8/D3D8.h"

namespace PM::SoftD3D {

// Pixels handled together by the pixel stage.
constexpr int32_t kRun = 64;

// Colours of a run of pixels, 0..1: red, green, blue, alpha.
struct ColorRun {
  float c[4][kRun];
};

// 0..1, NaN to 0; two plain selections, so that loops over a run vectorise.
inline float Clamp01(float v) {
  v = v > 0.0f ? v : 0.0f;
  return v < 1.0f ? v : 1.0f;
}

struct StageSetup {
  uint32_t colorOp = D3DTOP_DISABLE;
  uint32_t colorArgs[3] = {};  // ARG1, ARG2, ARG0
  uint32_t alphaOp = D3DTOP_DISABLE;
  uint32_t alphaArgs[3] = {};
  bool toTemp = false;    // RESULTARG TEMP
  bool textured = false;  // a texture is bound: without one, an operation that reads it passes its input on
  // Whether the colour or alpha operation reads the stage's texture.
  bool ColorReadsTexture() const;
  bool AlphaReadsTexture() const;
};

struct StageInputs {
  const ColorRun* diffuse = nullptr;
  const ColorRun* specular = nullptr;  // alpha: the fog factor, as Direct3D keeps it
  const ColorRun* texture[kD3DStageCount] = {};
  float factor[4] = {1.0f, 1.0f, 1.0f, 1.0f};  // TFACTOR
  int32_t n = 0;
};

// Whether the stages leave the diffuse colour as it is (every one reads a texture it lacks), so that
// a draw can skip them.
bool StagesPassDiffuse(const StageSetup* stages, int32_t count);

// Runs `count` stages over in.n pixels, leaving the colour in `current` (clamped to 0..1).
void RunStages(const StageSetup* stages, int32_t count, const StageInputs& in, ColorRun& current);

}  // namespace PM::SoftD3D
