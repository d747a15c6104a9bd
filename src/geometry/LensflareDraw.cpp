// Drawing a lens flare: the node's origin is projected to the screen, and the sprites are laid along
// the line from the screen centre through that point, then drawn by the sprite geometry under an
// identity model-view and a projection that only corrects the aspect.
#include <cmath>
#include <cstdint>

#include "engine/RenderEngine.h"
#include "geometry/Lensflare.h"

namespace PM {

namespace {

constexpr float kDegreesPerRadian = 57.29578f;

// Component c of the clip coordinates of eye-space point e under projection p (row vectors).
inline float Clip(const Matrix4f& p, const Vector3f& e, int c) {
  return p.m[c] * e.x + p.m[4 + c] * e.y + p.m[8 + c] * e.z + p.m[12 + c];
}

// The viewport pixel of normalised coordinate n (-1..1) over `size` pixels from `origin`, saturated to
// the integer range so that a huge viewport cannot overflow the conversion.
int32_t Pixel(int32_t origin, int32_t size, float n) {
  const double p = double(origin) + std::floor((double(n) + 1.0) * double(size) * 0.5);
  if (!(p > -2147483648.0)) return INT32_MIN;
  if (!(p < 2147483647.0)) return INT32_MAX;
  return int32_t(p);
}

}  // namespace

int32_t SLensflare_I::Draw(RenderEngine* engine, const Vector4f* colors) {
  if (engine->GetPassMode() == PassMode::kPlain) return 0;
  if (m_visibilityMode == kInvisible) return 1;

  Matrix4f mv, p;
  engine->GetModelViewMatrix(&mv);
  engine->GetProjectionMatrix(&p);
  const Vector3f e{mv.m[12], mv.m[13], mv.m[14]};
  const float x = Clip(p, e, 0), y = Clip(p, e, 1), w = Clip(p, e, 3);
  // Written so that NaN fails: a light behind the camera or off screen shows no flare.
  if (!(w > 0 && std::fabs(x) < w && std::fabs(y) < w)) return 1;
  const float nx = x / w, ny = y / w;

  if (m_visibilityMode == kDepthTest) {
    int32_t v[4] = {0, 0, 0, 0};
    engine->GetViewport(v);
    const float depth = engine->ReadDepth(Pixel(v[0], v[2], nx), Pixel(v[1], v[3], ny));
    const float nz = Clip(p, e, 2) * (-1.0f / e.z);
    // The depth buffer holds window depth: 0..1 whatever range clip-space depth has.
    const float windowZ = engine->HasZeroToOneDepthRange() ? nz : (nz + 1.0f) * 0.5f;
    if (depth < windowZ) return 1;
  }

  const float aspect = p.m[0] / p.m[5];
  Matrix4f s;
  s.SetScale(Vector3f{aspect, 1, 1});
  m_roll = std::atan2(nx, ny) * kDegreesPerRadian;
  const float ax = nx / p.m[0] * p.m[5];  // undoes the aspect that s applies

  const int32_t n = m_distances.Count();
  if (m_translations.Count() != n) {
    m_translations.Clear();
    m_translations.Grow(n);
  }
  for (int32_t i = 0; i < n; ++i) {
    const float d = m_distances[i].x;
    m_translations[i] = Vector3f{ax * d, ny * d, 0};
  }

  engine->SetModelViewMatrix(&kIdentityMatrix4f);
  engine->SetProjectionMatrix(&s);
  const int32_t drawn = DrawEngine(engine, colors);
  engine->SetModelViewMatrix(&mv);
  engine->SetProjectionMatrix(&p);
  return drawn;
}

}  // namespace PM
