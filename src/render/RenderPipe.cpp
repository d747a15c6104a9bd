#include "render/RenderPipe.h"


namespace PM {

void RenderPipe_I::Define() {
  const ClassDef classes[] = {ConcreteClass<RenderPipe_I>()};
  DefineClasses(classes);
  const MemberDef members[] = {
      FieldMember<&RenderPipe_I::m_renderEngineType>(0x01FFF080, "RenderEngineType"),
      FieldMember<&RenderPipe_I::m_fullscreen>(0x02FFF080, "Fullscreen"),
      FieldMember<&RenderPipe_I::m_resolution>(0x03FFF080, "Resolution"),
      FieldMember<&RenderPipe_I::m_refreshRate>(0x04FFF080, "RefreshRate"),
      FieldMember<&RenderPipe_I::m_swapInterval>(0x05FFF080, "SwapInterval"),
      FieldMember<&RenderPipe_I::m_colorBits>(0x06FFF080, "ColorBits"),
      FieldMember<&RenderPipe_I::m_alphaBits>(0x07FFF080, "AlphaBits"),
      FieldMember<&RenderPipe_I::m_depthBits>(0x08FFF080, "DepthBits"),
      FieldMember<&RenderPipe_I::m_stencilBits>(0x09FFF080, "StencilBits"),
      FieldMember<&RenderPipe_I::m_bufferBackColorCount>(0x0AFFF080, "BufferBackColorCount"),
      FieldMember<&RenderPipe_I::m_bufferBackgroundColorCount>(0x0BFFF080, "BufferBackgroundColorCount"),
      FieldMember<&RenderPipe_I::m_bufferBackgroundDepthStencilCount>(0x0CFFF080, "BufferBackgroundDepthStencilCount"),
      FieldMember<&RenderPipe_I::m_bufferFrontColorAccessEnable>(0x0DFFF080, "BufferFrontColorAccessEnable"),
      FieldMember<&RenderPipe_I::m_bufferBackColorAccessEnable>(0x0EFFF080, "BufferBackColorAccessEnable"),
      FieldMember<&RenderPipe_I::m_bufferBackDepthStencilAccessEnable>(0x0FFFF080, "BufferBackDepthStencilAccessEnable"),
      FieldMember<&RenderPipe_I::m_windowBorderEnable>(0x10FFF080, "WindowBorderEnable"),
      FieldMember<&RenderPipe_I::m_windowPosition>(0x11FFF080, "WindowPosition"),
      FieldMember<&RenderPipe_I::m_windowTitle>(0x12FFF080, "WindowTitle"),
      FieldMember<&RenderPipe_I::m_enableTexture>(0x13FFF080, "EnableTexture"),
      FieldMember<&RenderPipe_I::m_enableTextureThread>(0x14FFF080, "EnableTextureThread"),
      FieldMember<&RenderPipe_I::m_maxTextureUnit>(0x15FFF080, "MaxTextureUnit"),
      FieldMember<&RenderPipe_I::m_windowVisibility>(0x16FFF080, "WindowVisibility"),
      FieldMember<&RenderPipe_I::m_textureLoadTimeLimit>(0x17FFF080, "TextureLoadTimeLimit"),
      FieldMember<&RenderPipe_I::m_imagePath>(0x18FFF080, "ImagePath"),
      FieldMember<&RenderPipe_I::m_windowResizeable>(0x19FFF080, "WindowResizeable"),
      FieldMember<&RenderPipe_I::m_windowMaximize>(0x1AFFF080, "WindowMaximize"),
      FieldMember<&RenderPipe_I::m_maxTextureSizeShift>(0x1BFFF080, "MaxTextureSizeShift"),
      FieldMember<&RenderPipe_I::m_swapRateLimit>(0x1CFFF080, "SwapRateLimit"),
  };
  DefineMembers(members);
}
}  // namespace PM
