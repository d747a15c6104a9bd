#include "render/RenderChannel.h"


namespace PM {

void RenderChannel_I::Define() {
  const ClassDef classes[] = {ConcreteClass<RenderChannel_I>()};
  DefineClasses(classes);
  const MemberDef members[] = {
      FieldMember<&RenderChannel_I::m_sceneRoot>(0x01FFF081, "SceneRoot"),
      FieldMember<&RenderChannel_I::m_camera>(0x02FFF081, "Camera"),
      FieldMember<&RenderChannel_I::m_viewport>(0x03FFF081, "Viewport"),
      FieldMember<&RenderChannel_I::m_clipping>(0x04FFF081, "Clipping"),
      FieldMember<&RenderChannel_I::m_cullFrustumFactor>(0x05FFF081, "CullFrustumFactor"),
      FieldMember<&RenderChannel_I::m_enable>(0x06FFF081, "Enable"),
      FieldMember<&RenderChannel_I::m_colorClearEnable>(0x07FFF081, "ColorClearEnable"),
      FieldMember<&RenderChannel_I::m_colorClearValue>(0x08FFF081, "ColorClearValue"),
      FieldMember<&RenderChannel_I::m_alphaClearEnable>(0x09FFF081, "AlphaClearEnable"),
      FieldMember<&RenderChannel_I::m_alphaClearValue>(0x0AFFF081, "AlphaClearValue"),
      FieldMember<&RenderChannel_I::m_depthClearEnable>(0x0BFFF081, "DepthClearEnable"),
      FieldMember<&RenderChannel_I::m_depthClearValue>(0x0CFFF081, "DepthClearValue"),
      FieldMember<&RenderChannel_I::m_stencilClearEnable>(0x0DFFF081, "StencilClearEnable"),
      FieldMember<&RenderChannel_I::m_stencilClearValue>(0x0EFFF081, "StencilClearValue"),
      FieldMember<&RenderChannel_I::m_bufferBackgroundColorIndex>(0x0FFFF081, "BufferBackgroundColorIndex"),
      FieldMember<&RenderChannel_I::m_bufferBackgroundDepthStencilIndex>(0x10FFF081, "BufferBackgroundDepthStencilIndex"),
      FieldMember<&RenderChannel_I::m_drawMask>(0x11FFF081, "DrawMask"),
      FieldMember<&RenderChannel_I::m_excludeMask>(0x12FFF081, "ExcludeMask"),
      FieldMember<&RenderChannel_I::m_frustumPart>(0x13FFF081, "FrustumPart"),
      FieldMember<&RenderChannel_I::m_frustumJitter>(0x14FFF081, "FrustumJitter"),
      FieldMember<&RenderChannel_I::m_frustumCullEnable>(0x15FFF081, "FrustumCullEnable"),
  };
  DefineMembers(members);
}
}  // namespace PM
