// The OpenGL engine's textures: the handle lists, the internal format of a texture type name, the download
// of an image with its mip levels under the size limits, and SetTexture, which loads (within the frame's
// budget), downloads, falls back to the default colour, sets the sampling parameters and the alpha mode.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "core/Log.h"
#include "core/Trace.h"
#include "core/TraceStage.h"
#include "platform/PerformanceCounter.h"
#include "render/EngineLists.h"
#include "render/FontTexture2D.h"
#include "render/ImageLayer.h"
#include "render/Texture2D.h"
#include "render/TextureLoad.h"
#include "render/VideoFrameState.h"
#include "render/opengl/RenderEngineOpenGL.h"
#include "render/opengl/TextureHandleOpenGL.h"

namespace PM {

namespace {

struct FormatRow {
  const char* name;
  GLenum format;
  int32_t bits;
  int extension;  // -1: none needed
};
constexpr FormatRow kFormats[] = {
    {"L", GL_LUMINANCE, 8, -1},
    {"L_8", GL_LUMINANCE8, 8, -1},
    {"L_4", GL_LUMINANCE4, 4, -1},
    {"LA", GL_LUMINANCE_ALPHA, 16, -1},
    {"LA_88", GL_LUMINANCE8_ALPHA8, 16, -1},
    {"LA_44", GL_LUMINANCE4_ALPHA4, 8, -1},
    {"RGB", GL_RGB, 24, -1},
    {"RGB_888", GL_RGB8, 24, -1},
    {"RGB_565", GL_RGB5, 16, -1},
    {"RGB_332", GL_R3_G3_B2, 8, -1},
    {"RGBA", GL_RGBA, 32, -1},
    {"RGBA_8888", GL_RGBA8, 32, -1},
    {"RGBA_5551", GL_RGB5_A1, 16, -1},
    {"RGBA_4444", GL_RGBA4, 16, -1},
    {"RGB_DXT1", GL_COMPRESSED_RGB_S3TC_DXT1_EXT, 4, kGL_EXT_texture_compression_s3tc},
    {"RGBA_DXT1", GL_COMPRESSED_RGBA_S3TC_DXT1_EXT, 4, kGL_EXT_texture_compression_s3tc},
    {"RGBA_DXT3", GL_COMPRESSED_RGBA_S3TC_DXT3_EXT, 4, kGL_EXT_texture_compression_s3tc},
    {"RGBA_DXT5", GL_COMPRESSED_RGBA_S3TC_DXT5_EXT, 4, kGL_EXT_texture_compression_s3tc},
    {"L_COMPRESSED", GL_COMPRESSED_LUMINANCE_ARB, 4, kGL_ARB_texture_compression},
    {"LA_COMPRESSED", GL_COMPRESSED_LUMINANCE_ALPHA_ARB, 4, kGL_ARB_texture_compression},
    {"RGB_COMPRESSED", GL_COMPRESSED_RGB_ARB, 4, kGL_ARB_texture_compression},
    {"RGBA_COMPRESSED", GL_COMPRESSED_RGBA_ARB, 4, kGL_ARB_texture_compression},
};
constexpr GLenum kCompressedByBytes[] = {GL_COMPRESSED_LUMINANCE_ARB, GL_COMPRESSED_LUMINANCE_ARB,
                                         GL_COMPRESSED_LUMINANCE_ALPHA_ARB, GL_COMPRESSED_RGB_ARB,
                                         GL_COMPRESSED_RGBA_ARB};

bool IsCompressed(GLenum f) {
  for (const FormatRow& r : kFormats)
    if (r.format == f) return r.extension >= 0;
  return false;
}

// Pixel-store alignment of rows of `rowBytes`.
GLint Alignment(size_t rowBytes) {
  switch (rowBytes % 8) {
    case 0:
      return 8;
    case 2:
    case 6:
      return 2;
    case 4:
      return 4;
    default:
      return 1;
  }
}

constexpr struct {
  const char* suffix;
  GLenum target;
} kCubeFaces[] = {{".PZ", GL_TEXTURE_CUBE_MAP_POSITIVE_Z}, {".NZ", GL_TEXTURE_CUBE_MAP_NEGATIVE_Z},
                  {".PY", GL_TEXTURE_CUBE_MAP_POSITIVE_Y}, {".NY", GL_TEXTURE_CUBE_MAP_NEGATIVE_Y},
                  {".PX", GL_TEXTURE_CUBE_MAP_POSITIVE_X}, {".NX", GL_TEXTURE_CUBE_MAP_NEGATIVE_X}};

String WithSuffix(const String& name, const char* suffix) {
  String s = name;
  s.Append(suffix, int(std::strlen(suffix)));
  return s;
}

}  // namespace

void RenderEngineOpenGL_D::ChooseTextureFormat(const String& typeName, GLenum* format, int32_t* bits,
                                               int32_t bytesPerPixel) {
  *format = 0;
  *bits = 32;
  if (!typeName.IsEmpty()) {
    const bool compression = m_ext.Has(kGL_ARB_texture_compression);
    if (compression && m_context) GL().glHint(GL_TEXTURE_COMPRESSION_HINT_ARB, GL_NICEST);
    const FormatRow* found = nullptr;
    for (const FormatRow& r : kFormats)
      if (typeName.EqualsCStr(r.name)) found = &r;
    if (found && (found->extension < 0 || m_ext.Has(OpenGLExtension(found->extension)))) {
      *format = found->format;
      *bits = found->bits;
      return;
    }
    if (!found && typeName.EqualsCStr("COMPRESSED") && compression) {
      *format = kCompressedByBytes[std::clamp(bytesPerPixel, 0, 4)];
      *bits = 4;
      return;
    }
    Log(LogOutPipe(), kLevelWarn, "texture type \"", typeName, "\" not supported (hardware or software).");
  }
  switch (bytesPerPixel) {
    case 1:
      *format = GL_LUMINANCE8, *bits = 8;
      break;
    case 2:
      *format = GL_LUMINANCE8_ALPHA8, *bits = 16;
      break;
    case 3:
      *format = GL_RGB8, *bits = 24;
      break;
    default:
      *format = GL_RGBA8, *bits = 32;
      break;
  }
}

int32_t RenderEngineOpenGL_D::DownloadImage(GLenum target, GLenum format, int32_t bits, GLenum sourceFormat,
                                            bool mipMaps, Image_I* image, int32_t alphaMode) {
  const OpenGLAPI& gl = GL();
  gl.CheckError(gl.glGetError(), "pre DownloadImage");
  if (!image || image->GetFormat() == 0) return 0;
  if (bits == 24) bits = 32;
  const int filter = alphaMode >= 1 && alphaMode <= 3 ? kMipMapAlphaWeighted : 0;
  if (mipMaps && !image->m.mipMap) {
    image->MipMap(filter);
    if (!image->m.mipMap) Log(LogOutPipe(), kLevelError, "DownloadImage: mipmapping failed.");
  }
  int w = image->GetWidth(), h = image->GetHeight();
  GLint m = 256;
  gl.glGetIntegerv(GL_MAX_TEXTURE_SIZE, &m);
  const int shift = std::clamp(m_textureSettings.MaxTextureSizeShift, 0, 30);
  int maxW = m, maxH = m;
  if ((w >> shift) < m) maxW = std::max(w >> shift, 1);
  if ((h >> shift) >= 1 && (h >> shift) < m) maxH = h >> shift;
  const int cap = std::max(1, m_textureSettings.TextureSizeCap);
  maxW = std::min(maxW, cap), maxH = std::min(maxH, cap);
  // The image in hand: the texture's own, one of its mip levels, or a reduction made here.
  Ptr<Image_I> current(image);
  auto next = [&](int nw, int nh) {
    if (Image_I* level = current->m.mipMap.Get(); level && level->GetWidth() == nw && level->GetHeight() == nh) {
      current = level;
      return;
    }
    Ptr<Image_I> smaller(Image_I::New());
    smaller->Create(current->GetBytesPerPixel(), nw, nh, 0);
    smaller->Reformat(current.Get(), filter);
    current = smaller;
  };
  while (w > maxW || h > maxH) {
    const int nw = w > 1 ? w / 2 : w, nh = h > 1 ? h / 2 : h;
    if (nw == w && nh == h) break;
    next(nw, nh);
    w = nw, h = nh;
  }
  int32_t total = 0;
  TraceEnter("Texture download level");
  for (int level = 0;; ++level) {
    const GLint align = Alignment(size_t(current->GetBytesPerPixel()) * size_t(w));
    gl.glPixelStorei(GL_PACK_ALIGNMENT, align);
    gl.glPixelStorei(GL_UNPACK_ALIGNMENT, align);
    gl.glTexImage2D(target, level, GLint(format), w, h, 0, sourceFormat, GL_UNSIGNED_BYTE, current->GetData());
    GLint bytes = GLint(int64_t(w) * h * bits / 8);
    if (m_ext.Has(kGL_ARB_texture_compression) && IsCompressed(format)) {
      gl.CheckError(gl.glGetError(), "pre Texture Compress");
      gl.glGetTexLevelParameteriv(target, level, GL_TEXTURE_COMPRESSED_IMAGE_SIZE_ARB, &bytes);
      gl.CheckError(gl.glGetError(), "GetTexLevelParameteriv");
    }
    total += bytes;
    if (!mipMaps || (w == 1 && h == 1)) break;
    const int nw = w > 1 ? w / 2 : 1, nh = h > 1 ? h / 2 : 1;
    next(nw, nh);
    w = nw, h = nh;
  }
  TraceLeave("Texture download level");
  gl.CheckError(gl.glGetError(), "DownloadImage");
  return total;
}

void RenderEngineOpenGL_D::UnloadTextures() {
  if (m_unloadedTextures.IsEmpty()) return;
  Log(LogOutPipe(), kLevelDebug, "RenderEngineOpenGL_D::UnloadTextures()");
  ReleaseUnloadedTextures<TextureHandleOpenGL>([this](TextureHandleOpenGL* h) {
    if (h->m_name && m_context) GL().glDeleteTextures(1, &h->m_name);
    h->m_name = 0;
    CloseVideo(h);
  });
  Log(LogOutPipe(), kLevelDebug, "RenderEngineOpenGL_D::UnloadTextures() complete.");
}

void RenderEngineOpenGL_D::ApplyTextureParameters(GLenum target, Texture_I* t, bool mipMaps, bool checked) {
  const OpenGLAPI& gl = GL();
  const bool edge = m_ext.Has(kGL_EXT_texture_edge_clamp);
  const uint32_t wrapU = t->IsA(Texture2D_I::kClassId) ? static_cast<Texture2D_I*>(t)->m_wrapU : Texture_I::kWrapRepeat;
  const uint32_t wrapV = t->IsA(Texture2D_I::kClassId) ? static_cast<Texture2D_I*>(t)->m_wrapV : Texture_I::kWrapRepeat;
  gl.glTexParameteri(target, GL_TEXTURE_WRAP_S,
                     !edge || wrapU == Texture_I::kWrapRepeat ? GL_REPEAT : GL_CLAMP_TO_EDGE);
  gl.glTexParameteri(target, GL_TEXTURE_WRAP_T,
                     !edge || wrapV == Texture_I::kWrapRepeat ? GL_REPEAT : GL_CLAMP_TO_EDGE);
  const bool point = t->m_minFilter == Texture_I::kFilterPoint;
  gl.glTexParameteri(target, GL_TEXTURE_MAG_FILTER, t->m_magFilter == Texture_I::kFilterPoint ? GL_NEAREST : GL_LINEAR);
  gl.glTexParameteri(
      target, GL_TEXTURE_MIN_FILTER,
      point ? (mipMaps ? GL_NEAREST_MIPMAP_LINEAR : GL_NEAREST) : (mipMaps ? GL_LINEAR_MIPMAP_LINEAR : GL_LINEAR));
  SetAnisotropy(target, t, checked);
}

void RenderEngineOpenGL_D::SetAnisotropy(GLenum target, Texture_I* t, bool checked) {
  if (!m_ext.Has(kGL_EXT_texture_filter_anisotropic)) return;
  const OpenGLAPI& gl = GL();
  const float limit = float(std::max(1, m_maxAnisotropy));
  const float a = std::clamp(std::isnan(t->m_anisotropic) ? 1.0f : t->m_anisotropic, 1.0f, limit);
  if (checked) gl.CheckError(gl.glGetError(), "pre Texture Anisotropic");
  const float value = std::trunc(a);
  gl.glTexParameterfv(target, GL_TEXTURE_MAX_ANISOTROPY_EXT, &value);
  if (!checked) return;
  if (GLenum e = gl.glGetError(); e != GL_NO_ERROR) {
    gl.CheckError(e, "TEXTURE_MAX_ANISOTROPY_EXT");
    Log(LogOutPipe(), kLevelError, "Texture: Anisotropic disabled.");
    m_ext.flags[kGL_EXT_texture_filter_anisotropic] = 0;
  }
}

// The image in hand goes to a new GL texture (2D or a cube map of six files).
void RenderEngineOpenGL_D::DownloadTexture(Texture_I* t, TextureHandleOpenGL* h) {
  TraceStage trace("Texture download");
  String fileName, typeName, alphaName;
  DescribeTexture(t, &fileName, &typeName, &alphaName);
  if (StartVideo(h, fileName)) return;
  const OpenGLAPI& gl = GL();
  Ptr<Image_I> image(h->GetImage());
  h->SetImage(nullptr);
  const bool cubeMaps = m_ext.Has(kGL_ARB_texture_cube_map);
  bool cube = false;
  if (!image || image->GetFormat() == 0) {
    Obj<Image_I> face = LoadImageCached(WithSuffix(fileName, kCubeFaces[0].suffix));
    if (face->GetFormat() != 0) {
      image = face.Get();
      if (cubeMaps) cube = true, t->SetEngineWord(1);
    }
  }
  const int w = image ? image->GetWidth() : 0, hgt = image ? image->GetHeight() : 0;
  if (!image || image->GetFormat() == 0 || !IsPowerOfTwo(w) || !IsPowerOfTwo(hgt) || w == 0 || hgt == 0) {
    if (w != 0 || hgt != 0)
      Log(LogOutPipe(), kLevelError, "Texture2D:\n  file \"", fileName, "\"\n  size ", int32_t(w), "x", int32_t(hgt),
          "x", int32_t(4 * (image ? image->GetBytesPerPixel() : 0)), " not supported.");
    h->SetState(TextureHandle::kFailed);
    return;
  }
  static constexpr GLenum kSource[] = {0, GL_LUMINANCE, GL_LUMINANCE_ALPHA, GL_RGB, GL_RGBA};
  const int bpp = image->GetBytesPerPixel();
  if (bpp < 1 || bpp > 4) {
    Log(LogOutPipe(), kLevelError, "invalid image file format.");
    h->SetState(TextureHandle::kFailed);
    return;
  }
  GLenum format = 0;
  int32_t bits = 32;
  ChooseTextureFormat(typeName, &format, &bits, bpp);
  int alpha = (bpp == 2 || bpp == 4) ? 1 : 0;
  ParseTextureAlphaMode(alphaName, alpha);
  if (t->GetAlphaMode() == 0) t->SetAlphaMode(alpha);
  if (h->m_name) gl.glDeleteTextures(1, &h->m_name);
  gl.glGenTextures(1, &h->m_name);
  h->SetState(TextureHandle::kDownloaded);
  const bool mip = t->m_mipMapEnable;
  // A cube map is charged the bytes of its last face, as each face replaced the one before.
  int32_t bytes = h->m_bytes;
  if (!cube) {
    gl.glBindTexture(GL_TEXTURE_2D, h->m_name);
    bytes = DownloadImage(GL_TEXTURE_2D, format, bits, kSource[bpp], mip, image.Get(), alpha);
    ApplyTextureParameters(GL_TEXTURE_2D, t, mip, true);
    if (cubeMaps) gl.glDisable(GL_TEXTURE_CUBE_MAP_ARB);
  } else {
    gl.glBindTexture(GL_TEXTURE_CUBE_MAP_ARB, h->m_name);
    for (const auto& f : kCubeFaces) {
      Ptr<Image_I> face = image;
      if (f.target != kCubeFaces[0].target) {
        Obj<Image_I> loaded = LoadImageCached(WithSuffix(fileName, f.suffix));
        face = loaded.Get();
        // A face that cannot stand beside the first would be read past its end or never finish.
        if (face->GetFormat() == 0 || face->GetWidth() != w || face->GetHeight() != hgt ||
            face->GetBytesPerPixel() != bpp) {
          Log(LogOutPipe(), kLevelError, "Texture2D: cube face \"", WithSuffix(fileName, f.suffix),
              "\" is missing or differs from the first face; skipped.");
          continue;
        }
      }
      bytes = DownloadImage(f.target, format, bits, kSource[bpp], mip, face.Get(), alpha);
    }
    ApplyTextureParameters(GL_TEXTURE_CUBE_MAP_ARB, t, mip, false);
    gl.glDisable(GL_TEXTURE_2D);
    gl.glEnable(GL_TEXTURE_CUBE_MAP_ARB);
  }
  ChargeTexture(h, bytes);
}

// A 1 x 1 texture of the default colour stands in while the real one is not there.
void RenderEngineOpenGL_D::DownloadFallback(Texture_I* t, TextureHandleOpenGL* h) {
  const OpenGLAPI& gl = GL();
  gl.CheckError(gl.glGetError(), "pre use1x1");
  TraceStage trace("Texture download 1x1");
  gl.glGenTextures(1, &h->m_name);
  gl.glBindTexture(GL_TEXTURE_2D, h->m_name);
  DownloadImage(GL_TEXTURE_2D, GL_RGBA8, 32, GL_RGBA, false, StandInImage(t->m_defaultColor).Get(), 0);
  const bool mip = t->m_mipMapEnable;
  const uint32_t wrapU = t->IsA(Texture2D_I::kClassId) ? static_cast<Texture2D_I*>(t)->m_wrapU : Texture_I::kWrapRepeat;
  const uint32_t wrapV = t->IsA(Texture2D_I::kClassId) ? static_cast<Texture2D_I*>(t)->m_wrapV : Texture_I::kWrapRepeat;
  const bool edge = m_ext.Has(kGL_EXT_texture_edge_clamp);
  gl.glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S,
                     !edge || wrapU == Texture_I::kWrapRepeat ? GL_REPEAT : GL_CLAMP_TO_EDGE);
  gl.glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T,
                     !edge || wrapV == Texture_I::kWrapRepeat ? GL_REPEAT : GL_CLAMP_TO_EDGE);
  gl.glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
  gl.glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, mip ? GL_LINEAR_MIPMAP_LINEAR : GL_LINEAR);
  SetAnisotropy(GL_TEXTURE_2D, t, false);
  ChooseStandInAlphaMode(t);
  gl.CheckError(gl.glGetError(), "SetTexture 1x1");
  if (h->State() == TextureHandle::kNothing) h->SetState(TextureHandle::kFallbackBound);
}

void RenderEngineOpenGL_D::SetTexture(int32_t unit, ScriptObject* texture) {
  if (!m_context) return;
  const OpenGLAPI& gl = GL();
  gl.CheckError(gl.glGetError(), "pre SetTexture");
  const bool cubeMaps = m_ext.Has(kGL_ARB_texture_cube_map);
  if (!texture || IsNilObject(texture) || !texture->IsA(Texture2D_I::kClassId)) {
    gl.glDisable(GL_TEXTURE_2D);
    if (cubeMaps) gl.glDisable(GL_TEXTURE_CUBE_MAP_ARB);
    SetTextureBlendOp(texture, unit);
    return;
  }
  auto* t = static_cast<Texture_I*>(texture);
  auto* h =
      LoadedTextureHandle<TextureHandleOpenGL>(this, t, [&](TextureHandleOpenGL* ready) { DownloadTexture(t, ready); });
  if (!h->m_name) DownloadFallback(t, h);
  if (h->m_name) {
    if (t->GetEngineWord() == 1 && cubeMaps) {
      gl.glBindTexture(GL_TEXTURE_CUBE_MAP_ARB, h->m_name);
      gl.glDisable(GL_TEXTURE_2D);
      gl.glEnable(GL_TEXTURE_CUBE_MAP_ARB);
    } else {
      gl.glBindTexture(GL_TEXTURE_2D, h->m_name);
      if (cubeMaps) gl.glDisable(GL_TEXTURE_CUBE_MAP_ARB);
      gl.glEnable(GL_TEXTURE_2D);
    }
  }
  if (VideoFrameState::Of(h)) UploadVideoFrame(t, h);
  if (m_ext.Has(kGL_EXT_texture_lod_bias)) {
    gl.glTexEnvf(GL_TEXTURE_FILTER_CONTROL_EXT, GL_TEXTURE_LOD_BIAS_EXT, t->m_lodBias);
    gl.CheckError(gl.glGetError(), "EXT_texture_lod_bias");
  }
  gl.CheckError(gl.glGetError(), "pre SetTextureBlendOp");
  SetTextureBlendOp(texture, unit);
  gl.CheckError(gl.glGetError(), "SetTextureBlendOp");
  CountFrameBytes(h);
}

ResultCode RenderEngineOpenGL_D::SetTextureBlendOp(ScriptObject* texture, int32_t) {
  if (!m_context) return ENotActive;
  const int32_t mode = texture && !IsNilObject(texture) && texture->IsA(Texture2D_I::kClassId)
                           ? static_cast<Texture_I*>(texture)->GetAlphaMode()
                           : 0;
  struct Row {
    GLenum source, destination;  // 0: no blending
    float alphaRef;              // negative: no alpha test
    bool depthWrite;
  };
  static constexpr Row kRows[] = {
      {0, 0, -1.0f, true},                                       // 0 Opaque
      {0, 0, 0.5f, true},                                        // 1 AlphaMask
      {GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA, -1.0f, true},       // 2 AlphaBlend/WriteZ
      {GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA, -1.0f, false},      // 3 AlphaBlend
      {GL_SRC_ALPHA, GL_ONE, -1.0f, false},                      // 4 AlphaAdd
      {GL_ONE, GL_ONE, -1.0f, false},                            // 5 Add
      {GL_ZERO, GL_SRC_COLOR, -1.0f, false},                     // 6 Multiply
      {GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA, 0.25f, true},       // 7 AlphaBlend/AlphaMask/WriteZ
      {GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA, 0.0078125f, true},  // 8 AlphaBlend/AlphaMask=2/WriteZ
  };
  const Row& r = kRows[mode >= 0 && mode <= 8 ? mode : 0];
  const OpenGLAPI& gl = GL();
  if (r.source || r.destination) {
    gl.glBlendFunc(r.source, r.destination);
    gl.glEnable(GL_BLEND);
  } else {
    gl.glDisable(GL_BLEND);
  }
  if (r.alphaRef >= 0.0f) {
    gl.glAlphaFunc(GL_GREATER, r.alphaRef);
    gl.glEnable(GL_ALPHA_TEST);
  } else {
    gl.glDisable(GL_ALPHA_TEST);
  }
  gl.glDepthMask(r.depthWrite);
  return SOK;
}

}  // namespace PM
