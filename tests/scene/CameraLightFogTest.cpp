// Cameras, lights and fog: the lens rule in every setter, its clamps, copies that keep the lens, and
// the light and fog defaults the render system reads.
#include <cmath>

#include "EngineWorld.h"
#include "scene/Camera.h"

namespace PM::Test {
namespace {

using CameraLightFogTest = EngineWorldTest;

constexpr float kMin = 1.52587890625e-5f;
constexpr float kMax = 179.99998f;

struct LensStep {
  const char* what;
  uint32_t member;  // kMemberCameraFieldOfView, ...FocalLength or ...Aperture
  Vector2f value;   // x alone for the two scalars
  float fieldOfView;
  float focalLength;
  Vector2f aperture;
  float focalSlack = 0;  // absolute; 0: a relative 1e-4
};

// Applied in order to one camera; each row is the lens after its step. Values printed by the script
// corpus to seven digits; the clamps are exact.
const LensStep kLensSteps[] = {
    {"focal length", kMemberCameraFocalLength, {35, 0}, 37.85368f, 35, {1.417f, 0.945f}},
    {"aperture keeps the focal length", kMemberCameraAperture, {1, 0.5f}, 20.56647f, 35, {1, 0.5f}},
    {"negative angle", kMemberCameraFieldOfView, {-5, 0}, kMin, 4.768769e+07f, {1, 0.5f}},
    {"zero angle", kMemberCameraFieldOfView, {0, 0}, kMin, 4.768769e+07f, {1, 0.5f}},
    // tan of nearly a right angle in float: only the order of magnitude is stable.
    {"straight angle", kMemberCameraFieldOfView, {200, 0}, kMax, 5e-6f, {1, 0.5f}, 5e-6f},
    {"zero focal length", kMemberCameraFocalLength, {0, 0}, kMax, 0, {1, 0.5f}},
    {"negative focal length", kMemberCameraFocalLength, {-10, 0}, kMin, -10, {1, 0.5f}},
    {"focal length again", kMemberCameraFocalLength, {35, 0}, 20.56647f, 35, {1, 0.5f}},
    {"zero aperture height", kMemberCameraAperture, {1, 0}, kMin, 35, {1, 0}},
    {"negative aperture height", kMemberCameraAperture, {1, -1}, kMin, 35, {1, -1}},
    {"aperture back", kMemberCameraAperture, {2, 1.5f}, 57.11764f, 35, {2, 1.5f}},
};

TEST_F(CameraLightFogTest, LensSettersKeepTheLensConsistentAndClampTheAngle) {
  Obj<ScriptObject> cam = Make("SCamera");
  EXPECT_EQ(MemberGet<VF32>(cam, kMemberCameraFieldOfView), 45.0f);
  EXPECT_EQ(MemberGet<VF32>(cam, kMemberCameraFocalLength), 0.945f / std::tan(45 * 0.008726646f) * 12.7f);
  EXPECT_NEAR(MemberGet<VF32>(cam, kMemberCameraFocalLength), 28.97418f, 1e-5f);
  for (const LensStep& s : kLensSteps) {
    SCOPED_TRACE(s.what);
    if (s.member == kMemberCameraAperture)
      MemberSet<VVector2f>(cam, s.member, s.value);
    else
      MemberSet<VF32>(cam, s.member, s.value.x);
    float fov = MemberGet<VF32>(cam, kMemberCameraFieldOfView);
    float fl = MemberGet<VF32>(cam, kMemberCameraFocalLength);
    Vector2f ap = MemberGet<VVector2f>(cam, kMemberCameraAperture);
    EXPECT_NEAR(fov, s.fieldOfView, std::abs(s.fieldOfView) * 2e-6f);
    EXPECT_NEAR(fl, s.focalLength, s.focalSlack ? s.focalSlack : std::abs(s.focalLength) * 1e-4f);
    if (s.focalSlack) {
      EXPECT_GT(fl, 0.0f);
    }
    EXPECT_EQ(ap.x, s.aperture.x);
    EXPECT_EQ(ap.y, s.aperture.y);
    EXPECT_GE(fov, kMin);
    EXPECT_LE(fov, kMax);
  }
  // A NaN angle passes the clamp (and so does the focal length derived from it).
  MemberSet<VF32>(cam, kMemberCameraFieldOfView, std::nanf(""));
  EXPECT_TRUE(std::isnan(MemberGet<VF32>(cam, kMemberCameraFieldOfView)));
  EXPECT_TRUE(std::isnan(MemberGet<VF32>(cam, kMemberCameraFocalLength)));
  EXPECT_EQ(TakeLog(), "");
}

TEST_F(CameraLightFogTest, CopiesKeepTheLensAsItIs) {
  Obj<ScriptObject> cam = Make("SCamera");
  MemberSet<VF32>(cam, kMemberCameraFieldOfView, 60);
  MemberSet<VVector2f>(cam, kMemberCameraAperture, Vector2f{2, 1.5f});
  MemberSet<VF32>(cam, kMemberCameraFieldOfView, 60);  // the focal length now follows the new aperture
  MemberSet<VF32>(cam, kMemberCameraFocusDistance, 4);
  const auto* src = static_cast<SCamera_I*>(cam.Get());
  Obj<ScriptObject> t = Make("TCamera");
  MemberSet<VObject>(t, 0x01FFF043, cam);  // SNode
  Obj<ScriptObject> copies[] = {Obj<ScriptObject>(ScriptObject::Clone(cam)),
                                Obj<ScriptObject>(ScriptObject::CopyTemplate(cam)),
                                MemberGet<VObject>(Obj<ScriptObject>(ScriptObject::CopyTemplate(t)), 0x01FFF043)};
  for (const Obj<ScriptObject>& c : copies) {
    ASSERT_TRUE(c->IsA(SCamera_I::kClassId));
    const auto* d = static_cast<SCamera_I*>(c.Get());
    EXPECT_EQ(d->m_fieldOfView, 60.0f);
    EXPECT_EQ(d->m_focalLength, src->m_focalLength);
    EXPECT_EQ(d->m_aperture.x, 2.0f);
    EXPECT_EQ(d->m_aperture.y, 1.5f);
  }
  // Focus values are neither cloned nor templated (0x1).
  EXPECT_EQ(MemberGet<VF32>(copies[0], kMemberCameraFocusDistance), 0.0f);
  // The lens copy into an object of another class is refused.
  Obj<ScriptObject> light = Make("SLight");
  MemberCopyTo(cam, light, kMemberCameraAperture);
  EXPECT_NE(TakeLog().find("cannot cast \"SLight\" to \"SCamera\""), std::string::npos);
}

TEST_F(CameraLightFogTest, LightsAndFogStartWhiteWithTheirDefaultModes) {
  Obj<ScriptObject> light = Make("SLight");
  Vector3f lc = MemberGet<VVector3f>(light, 0x01FFF056);
  EXPECT_EQ(lc.x + lc.y + lc.z, 3.0f);
  EXPECT_EQ(MemberGet<VEnum>(light, 0x02FFF056), 0x01FFF0AEu);  // Directional
  Obj<ScriptObject> fog = Make("SFog");
  EXPECT_EQ(MemberGet<VEnum>(fog, 0x01FFF07E), 0x02FFF0BEu);  // Exponential
  EXPECT_EQ(MemberGet<VEnum>(fog, 0x02FFF07E), 0x01FFF0BFu);  // ScreenSpace
  Vector3f fc = MemberGet<VVector3f>(fog, 0x03FFF07E);
  EXPECT_EQ(fc.x + fc.y + fc.z, 3.0f);
  EXPECT_EQ(MemberGet<VF32>(fog, 0x04FFF07E), 0.0f);
  Vector2f nf = MemberGet<VVector2f>(fog, 0x05FFF07E);
  EXPECT_EQ(nf.x + nf.y, 0.0f);
  EXPECT_EQ(TakeLog(), "");
}

}  // namespace
}  // namespace PM::Test
