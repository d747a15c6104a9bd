// The software device's pixel stage for one draw: depth test with bias, perspective-correct attributes,
// texture sampling and stages, specular, fog, alpha test, blending and the write. A span runs in pieces
// of kRun pixels; each step of a piece is one loop, its variant chosen per draw, so no pixel asks what
// the state is. Stencil is not used by the engine on this device and is left alone.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/d3d8/SoftObjects.h"
#include "platform/d3d8/SoftSampler.h"
#include "platform/d3d8/TextureStages.h"

namespace PM::SoftD3D {

// Values interpolated over a triangle besides depth and 1/w: diffuse, specular, fog and three texture
// coordinates for each of eight stages.
constexpr int32_t kMaxAttributes = 4 + 3 + 1 + 3 * int32_t(kD3DStageCount);

enum class FogSource { kNone, kVertex, kTable };

// What a draw's pixels do: built by the device from its render and texture stage states.
struct PixelState {
  // Slot k interpolates the float at byte offset attrOffset[k] of a vertex. Diffuse takes slots 0..3.
  int32_t attrCount = 0;
  uint16_t attrOffset[kMaxAttributes] = {};
  int32_t specularSlot = -1;  // red, green, blue
  int32_t fogSlot = -1;       // the vertex fog factor

  int32_t stageCount = 0;  // stages up to the first whose colour operation is DISABLE
  StageSetup stages[kD3DStageCount];
  Sampler samplers[kD3DStageCount];      // of stages with a texture
  int32_t texSlot[kD3DStageCount] = {};  // u, v, and the divisor of a projected stage
  bool projected[kD3DStageCount] = {};
  float factor[4] = {1.0f, 1.0f, 1.0f, 1.0f};

  bool specularAdd = false;
  FogSource fog = FogSource::kNone;
  uint32_t fogTable = 0;  // D3DFOG_*
  float fogStart = 0.0f, fogEnd = 1.0f, fogDensity = 1.0f;
  bool fogFromW = true;  // table fog from eye depth (w), else from the depth value z
  float fogColor[3] = {};

  bool alphaTest = false;
  uint32_t alphaFunc = D3DCMP_ALWAYS;
  uint32_t alphaRef = 0;
  bool blend = false;
  uint32_t srcBlend = D3DBLEND_ONE, destBlend = D3DBLEND_ZERO, blendOp = D3DBLENDOP_ADD;
  uint32_t writeMask = 0xFFFFFFFFu;  // A8R8G8B8 bits COLORWRITEENABLE lets through
  uint32_t zBias = 0;                // steps of the depth format toward the viewer

  // The slot of a new attribute read at `offset`; -1 when full.
  int32_t AddAttribute(size_t offset);
};

// One span of a triangle or a line: values at pixel x0 and their change per pixel along x and y.
struct SpanArgs {
  uint8_t* color;                // the row
  uint8_t* depth;                // the row, or null
  int32_t x0, x1;                // pixels x0 .. x1 - 1
  float at[2 + kMaxAttributes];  // z, 1/w, then each attribute / w
  float dx[2 + kMaxAttributes];
  float dy[2 + kMaxAttributes];
};

class PixelPipeline {
 public:
  // False when the colour or depth format has no routine.
  bool Prepare(const PixelStore& color, const PixelStore* depth, bool depthTest, uint32_t depthFunc, bool depthWrite,
               const PixelState& state);
  // Values Span reads from SpanArgs: z, 1/w and the attributes.
  int32_t ValueCount() const { return 2 + m_state->attrCount; }
  void Span(const SpanArgs& s) const;

  // Pieces of the work, with the pipeline whose state they read.
  using DepthFn = int32_t (*)(const PixelPipeline&, const SpanArgs&, int32_t x, float k0, int32_t n, uint8_t* mask,
                              uint32_t* q);
  using StoreDepthFn = void (*)(uint8_t* row, int32_t x, int32_t n, const uint8_t* mask, const uint32_t* q);
  using WriteFn = void (*)(const PixelPipeline&, uint8_t* row, int32_t x, int32_t n, const uint8_t* mask,
                           const ColorRun& color);

  const PixelState& State() const { return *m_state; }
  uint32_t DepthMask() const { return m_depthMask; }
  bool DepthWriteNow() const { return m_depthWriteNow; }
  bool TargetHasAlpha() const { return m_targetAlpha; }
  uint32_t SrcBlend() const { return m_srcBlend; }
  uint32_t DestBlend() const { return m_destBlend; }

 private:
  void Textures(const SpanArgs& s, float k0, int32_t n, ColorRun* texture) const;
  void Fog(const SpanArgs& s, float k0, int32_t n, const float* w, ColorRun& color) const;

  const PixelState* m_state = nullptr;
  DepthFn m_depth = nullptr;
  StoreDepthFn m_storeDepth = nullptr;  // after the alpha test, when it may drop pixels
  WriteFn m_write = nullptr;
  uint32_t m_depthMask = 7;  // passing outcomes: 1 less, 2 equal, 4 greater
  bool m_depthWriteNow = false;
  bool m_targetAlpha = false;
  bool m_passesDiffuse = false;  // the stages leave the diffuse colour: they are skipped
  uint32_t m_srcBlend = D3DBLEND_ONE, m_destBlend = D3DBLEND_ZERO;  // BOTHSRCALPHA and BOTHINVSRCALPHA spelled out
};

// The outcomes (1 less, 2 equal, 4 greater) a comparison function passes.
uint32_t CompareMask(uint32_t func);

}  // namespace PM::SoftD3D
