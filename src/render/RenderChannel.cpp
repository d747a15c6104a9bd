#include "render/RenderChannel.h"

#include <algorithm>
#include <cmath>
#include "classes/EngineClassRegistry.h"

namespace PM {

namespace {

float Unit(float v) { return std::isnan(v) ? 0.0f : std::clamp(v, 0.0f, 1.0f); }

// A member stored in the channel's clear record.
template <auto Field>
struct ClearField {
  using F = typename DataMemberOf<decltype(Field)>::Field;
  static F Read(ScriptObject* o) { return static_cast<RenderChannel_I*>(o)->m_clear.*Field; }
  static void Write(ScriptObject* o, F v) { static_cast<RenderChannel_I*>(o)->m_clear.*Field = v; }
};
template <auto Field, class Tag = TagOf<typename DataMemberOf<decltype(Field)>::Field>>
MemberDef ClearMember(uint32_t id, const char* name) {
  using Th = SingleThunks<Tag, ClearField<Field>>;
  return MakeMemberDef<Tag, kShapeSingle>(id, name, 0, Th::GetFn(), Th::SetFn());
}

struct ClearColor {
  static Vector3f Read(ScriptObject* o) {
    const float* c = static_cast<RenderChannel_I*>(o)->m_clear.ColorClearValue;
    return {c[0], c[1], c[2]};
  }
  static void Write(ScriptObject* o, const Vector3f& v) {
    float* c = static_cast<RenderChannel_I*>(o)->m_clear.ColorClearValue;
    c[0] = v.x;
    c[1] = v.y;
    c[2] = v.z;
  }
};

}  // namespace

void RenderChannel_I::Define() {
  const ClassDef classes[] = {ConcreteClass<RenderChannel_I>()};
  DefineClasses(classes);
  using ColorThunks = SingleThunks<VVector3f, ClearColor>;
  const MemberDef members[] = {
      FieldMember<&RenderChannel_I::m_sceneRoot>(0x01FFF081, "SceneRoot"),
      FieldMember<&RenderChannel_I::m_camera>(0x02FFF081, "Camera"),
      AccessorMember<&RenderChannel_I::GetViewport, &RenderChannel_I::SetViewport>(0x03FFF081, "Viewport"),
      AccessorMember<&RenderChannel_I::GetClipping, &RenderChannel_I::SetClipping>(0x04FFF081, "Clipping"),
      FieldMember<&RenderChannel_I::m_cullFrustumFactor>(0x05FFF081, "CullFrustumFactor"),
      FieldMember<&RenderChannel_I::m_enable>(0x06FFF081, "Enable"),
      ClearMember<&ChannelClearInfo::ColorClearEnable>(0x07FFF081, "ColorClearEnable"),
      MakeMemberDef<VVector3f, kShapeSingle>(0x08FFF081, "ColorClearValue", 0, ColorThunks::GetFn(),
                                             ColorThunks::SetFn()),
      ClearMember<&ChannelClearInfo::AlphaClearEnable>(0x09FFF081, "AlphaClearEnable"),
      ClearMember<&ChannelClearInfo::AlphaClearValue>(0x0AFFF081, "AlphaClearValue"),
      ClearMember<&ChannelClearInfo::DepthClearEnable>(0x0BFFF081, "DepthClearEnable"),
      ClearMember<&ChannelClearInfo::DepthClearValue>(0x0CFFF081, "DepthClearValue"),
      ClearMember<&ChannelClearInfo::StencilClearEnable>(0x0DFFF081, "StencilClearEnable"),
      ClearMember<&ChannelClearInfo::StencilClearValue>(0x0EFFF081, "StencilClearValue"),
      ClearMember<&ChannelClearInfo::BufferBackgroundColorIndex>(0x0FFFF081, "BufferBackgroundColorIndex"),
      ClearMember<&ChannelClearInfo::BufferBackgroundDepthStencilIndex>(0x10FFF081,
                                                                        "BufferBackgroundDepthStencilIndex"),
      FieldMember<&RenderChannel_I::m_drawMask>(0x11FFF081, "DrawMask"),
      FieldMember<&RenderChannel_I::m_excludeMask>(0x12FFF081, "ExcludeMask"),
      FieldMember<&RenderChannel_I::m_frustumPart>(0x13FFF081, "FrustumPart"),
      FieldMember<&RenderChannel_I::m_frustumJitter>(0x14FFF081, "FrustumJitter"),
      FieldMember<&RenderChannel_I::m_frustumCullEnable>(0x15FFF081, "FrustumCullEnable"),
  };
  DefineMembers(members);
}

void RenderChannel_I::SetViewport(const Vector4f& v) {
  float left = Unit(v.x), right = Unit(v.y), bottom = Unit(v.z), top = Unit(v.w);
  m_viewport = {left, std::max(left, right), bottom, std::max(bottom, top)};
}

void RenderChannel_I::SetClipping(const Vector2f& v) {
  // fmax picks the number when the other is NaN.
  float nearPlane = std::fmax(v.x, kMinNear);
  float farPlane = std::fmax(v.y, nearPlane);
  m_clipping = {nearPlane, farPlane};
}

// Entered in the engine class table, which defines it in the order list's order.
static const bool kClassEntered = EnterEngineClasses<RenderChannel_I>();

}  // namespace PM
