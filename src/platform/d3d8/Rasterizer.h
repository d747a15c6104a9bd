// The software device's rasterizer: clips transformed vertices in homogeneous space, maps them through
// the viewport (y down, pixel centres on integers), and fills triangles (top-left rule) and one-pixel
// lines and square points with spans handed to the draw's pixel pipeline.
#pragma once

#include <cstdint>

#include "platform/d3d8/D3D8.h"
#include "platform/d3d8/PixelPipeline.h"
#include "platform/d3d8/SoftObjects.h"

namespace PM::SoftD3D {

// Texture coordinate sets a vertex carries: one per stage.
constexpr int kMaxTexCoords = 8;

// A vertex after the vertex stage (transformation, lighting, vertex fog, texture coordinates): what the
// rasterizer interpolates. Colours are 0..1 floats, not yet clamped.
struct ClipVertex {
  float x, y, z, w;             // clip space
  float r, g, b, a;             // diffuse
  float sr, sg, sb, sa;         // specular (sa unused by the pixel stage)
  float fog;                    // vertex fog factor: 1 no fog .. 0 only the fog colour
  float tex[kMaxTexCoords][4];  // stage s reads tex[s]: its coordinate set chosen and transformed
};

struct RasterState {
  bool depthTest = false;  // ZENABLE with a depth buffer
  uint32_t depthFunc = D3DCMP_LESSEQUAL;
  bool depthWrite = true;
  uint32_t cull = D3DCULL_CCW;
  uint32_t fill = D3DFILL_SOLID;
  bool lastPixel = true;
  float pointSize = 1.0f;  // the side of a point's square in pixels, within 1 and the caps' MaxPointSize
  PixelState pixel;
};

class Rasterizer {
 public:
  // Not ready when the target's colour or depth format has no span routine. `state` is read, not copied
  // (it is several kilobytes and a draw may be a single quad): it must outlive the rasterizer.
  Rasterizer(PixelStore* color, PixelStore* depth, const D3DVIEWPORT8& viewport, const RasterState& state);
  Rasterizer(const Rasterizer&) = delete;
  Rasterizer& operator=(const Rasterizer&) = delete;

  bool Ready() const { return m_ready; }
  void Triangle(const ClipVertex& a, const ClipVertex& b, const ClipVertex& c);
  void Line(const ClipVertex& a, const ClipVertex& b);
  // A point: the pixels whose centres lie in the square of the state's point size centred on it (for
  // size 1, the pixel holding it), all of the point's colour and depth. One wholly outside the view
  // draws nothing; the square of one inside is cut at the view's edges.
  void Point(const ClipVertex& v);

 private:
  struct ScreenVertex {
    float x, y, z, iw;           // screen position, depth 0..1 and 1/w
    int64_t fx = 0, fy = 0;      // the position snapped to the sub-pixel grid (triangles)
    float attr[kMaxAttributes];  // the pixel state's attributes / w
  };
  // Value k of a vertex as spans read it: z, 1/w, then the attributes.
  static float Value(const ScreenVertex& p, int32_t k) { return k == 0 ? p.z : k == 1 ? p.iw : p.attr[k - 2]; }
  ScreenVertex ToScreen(const ClipVertex& v) const;
  // Triangles are filled on a grid of kSubPixels steps a pixel, in integers: corners are snapped to it
  // (false: too far out to hold), so coverage is exact and shared edges are watertight.
  static constexpr int64_t kSubPixels = 256;
  static constexpr float kMaxScreen = 1 << 20;
  static bool Snap(ScreenVertex& v);
  // Twice the signed area in sub-pixel units squared, positive clockwise on the screen.
  static int64_t FixedArea(const ScreenVertex& a, const ScreenVertex& b, const ScreenVertex& c);
  void FillTriangle(const ScreenVertex& a, const ScreenVertex& b, const ScreenVertex& c, int64_t fixedArea);
  void LineScreen(const ScreenVertex& a, const ScreenVertex& b);
  // A point already on the screen, as Point draws it.
  void PointScreen(const ScreenVertex& s);

  PixelStore* m_color;
  PixelStore* m_depth;
  D3DVIEWPORT8 m_viewport;
  const RasterState& m_state;
  int32_t m_left, m_top, m_right, m_bottom;  // the pixels drawn: viewport within the target
  PixelPipeline m_pipeline;
  int32_t m_values = 2;  // z, 1/w and the attributes
  bool m_ready = false;
};

}  // namespace PM::SoftD3D
