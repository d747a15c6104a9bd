// The Direct3D 8 engine's statistics overlay: the frame-rate graph along the bottom and the mean frame
// rate in seven-segment digits near the top left corner, drawn in pixel units before the scene ends.
#include <algorithm>

#include "engine/FrameStatisticsUpdate.h"
#include "render/d3d8/RenderEngineDirectX8.h"

namespace PM {

namespace {

constexpr uint32_t kLit = 0xFFFFFFFFu;
constexpr uint32_t kUnlit = 0xFF404040u;
constexpr int32_t kGraphMode = 2;
constexpr int32_t kDigitsMode = 1;

struct OverlayVertex {
  float x, y, z;
  uint32_t color;
};
static_assert(sizeof(OverlayVertex) == 16);

// A segment's rectangle inside an 8 x 12 digit cell (y up), in segment-bit order.
struct SegmentBox {
  float x0, y0, x1, y1;
};
constexpr SegmentBox kSegments[7] = {
    {2, 10, 6, 12},  // top
    {0, 7, 2, 10},   // upper left
    {6, 7, 8, 10},   // upper right
    {2, 5, 6, 7},    // middle
    {0, 2, 2, 5},    // lower left
    {6, 2, 8, 5},    // lower right
    {2, 0, 6, 2},    // bottom
};
constexpr SegmentBox kDecimalPoint = {10, 0, 12, 2};  // right of the tens digit's cell

D3DMATRIX Translation(float x, float y, float z) {
  D3DMATRIX m{};
  for (int i = 0; i < 4; ++i) m.m[i][i] = 1.0f;
  m.m[3][0] = x, m.m[3][1] = y, m.m[3][2] = z;
  return m;
}

// Two triangles covering a box moved by (dx, 0).
void AddBox(OverlayVertex*& out, const SegmentBox& b, float dx, uint32_t color) {
  const OverlayVertex a{b.x0 + dx, b.y0, 0, color}, c{b.x1 + dx, b.y0, 0, color}, d{b.x1 + dx, b.y1, 0, color},
      e{b.x0 + dx, b.y1, 0, color};
  *out++ = a, *out++ = c, *out++ = d;
  *out++ = a, *out++ = d, *out++ = e;
}

}  // namespace

void RenderEngineDirectX8_D::DrawStatisticsOverlay() {
  IDirect3DDevice8* d = m_device;
  const float w = float(m_backBufferWidth), h = float(m_backBufferHeight);
  D3DMATRIX world = Translation(4.0f - 0.5f * w, 4.0f - 0.5f * h, 1.0f);
  const D3DMATRIX view = Translation(0, 0, 0);
  D3DMATRIX projection = view;
  projection.m[0][0] = 2.0f / w, projection.m[1][1] = 2.0f / h;
  d->SetTransform(D3DTS_WORLD, &world);
  d->SetTransform(D3DTS_VIEW, &view);
  d->SetTransform(D3DTS_PROJECTION, &projection);
  const struct {
    D3DRENDERSTATETYPE state;
    DWORD value;
  } states[] = {{D3DRS_ZENABLE, 0},          {D3DRS_ZWRITEENABLE, 1},         {D3DRS_ZFUNC, D3DCMP_LESSEQUAL},
                {D3DRS_ALPHABLENDENABLE, 0}, {D3DRS_ALPHATESTENABLE, 0},      {D3DRS_CULLMODE, D3DCULL_NONE},
                {D3DRS_LIGHTING, 0},         {D3DRS_FILLMODE, D3DFILL_SOLID}, {D3DRS_ZBIAS, 0}};
  for (const auto& s : states) d->SetRenderState(s.state, s.value);
  for (DWORD stage = 0; stage < std::min<DWORD>(m_caps.MaxSimultaneousTextures, kD3DStageCount); ++stage)
    d->SetTexture(stage, nullptr);
  d->SetVertexShader(D3DFVF_XYZ | D3DFVF_DIFFUSE);

  const FrameStatistics& s = m_statistics;
  const int32_t count = std::clamp(s.SampleCount, 1, FrameStatistics::kSampleCount);
  if (s.DisplayMode & kGraphMode) {
    OverlayVertex line[FrameStatistics::kSampleCount];
    const int32_t start = s.RingIndex >= 0 && s.RingIndex < count ? s.RingIndex : 0;
    for (int32_t i = 0; i < count; ++i)
      line[i] = {4.0f * float(i), float(s.Samples[(start + i) % count]) / 100.0f, 0.0f, kLit};
    if (count > 1) d->DrawPrimitiveUP(D3DPT_LINESTRIP, UINT(count - 1), line, sizeof(OverlayVertex));
  }
  if (s.DisplayMode & kDigitsMode) {
    world = Translation(4.0f - 0.5f * w, 0.5f * h - 22.0f, 1.0f);
    d->SetTransform(D3DTS_WORLD, &world);
    const double mean = s.Values[FrameStatistics::kMeanFrameRate] * 10.0;
    const double tenths = mean > 0.0 ? std::min(mean, 9999.0) : 0.0;  // NaN too gives 0
    int32_t value = int32_t(tenths);
    OverlayVertex boxes[(4 * 7 + 1) * 6];
    OverlayVertex* out = boxes;
    for (int32_t digit = 3; digit >= 0; --digit, value /= 10) {
      const uint8_t mask = kSevenSegmentDigits[value % 10];
      for (int bit = 0; bit < 7; ++bit)
        AddBox(out, kSegments[bit], 16.0f * float(digit), mask >> bit & 1 ? kLit : kUnlit);
    }
    AddBox(out, kDecimalPoint, 32.0f, kLit);
    d->DrawPrimitiveUP(D3DPT_TRIANGLELIST, UINT((out - boxes) / 3), boxes, sizeof(OverlayVertex));
  }
}

}  // namespace PM
