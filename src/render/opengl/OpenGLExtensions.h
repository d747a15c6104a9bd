// The set of OpenGL and window-system extensions one OpenGL render engine may use, with their entry
// points. Filled once from the driver's extension strings while the engine's first context is current;
// the registry can only switch extensions off, and drivers known to misbehave lose some of theirs.
#pragma once

#include <cstdint>

#include "core/String.h"
#include "render/opengl/OpenGLAPI.h"

namespace PM {

class RegistryKey;

using GlxQueryExtensionsStringFn = const char* (*)(Display*, int);
using GlxSwapIntervalFn = void (*)(Display*, GlxDrawable, int);
using GlxQueryDrawableFn = void (*)(Display*, GlxDrawable, int, unsigned int*);
using GlMultiTexCoord2fFn = void (*)(GLenum, GLfloat, GLfloat);

// The extension entry points in table order: name and type. Window-system slots hold their GLX
// counterparts; a slot still named wgl* has none and stays null.
// clang-format off
#define PM_OPENGL_EXT_ENTRIES(E)                                                   \
  E(glXQueryExtensionsString, GlxQueryExtensionsStringFn)                      \
  E(wglCreatePbufferARB, OpenGLProc) E(wglGetPbufferDCARB, OpenGLProc)             \
  E(wglReleasePbufferDCARB, OpenGLProc) E(wglDestroyPbufferARB, OpenGLProc)        \
  E(wglQueryPbufferARB, OpenGLProc)                                                \
  E(wglBindTexImageARB, OpenGLProc) E(wglReleaseTexImageARB, OpenGLProc)           \
  E(wglSetPbufferAttribARB, OpenGLProc)                                            \
  E(glXSwapIntervalEXT, GlxSwapIntervalFn)                      \
  E(glXQueryDrawable, GlxQueryDrawableFn)                                          \
  E(wglGetPixelFormatAttribivARB, OpenGLProc)                                      \
  E(wglGetPixelFormatAttribfvARB, OpenGLProc) E(wglChoosePixelFormatARB, OpenGLProc) \
  E(glActiveTextureARB, PFNGLACTIVETEXTUREARBPROC)                                 \
  E(glClientActiveTextureARB, PFNGLCLIENTACTIVETEXTUREARBPROC)                     \
  E(glMultiTexCoord2f, GlMultiTexCoord2fFn)                                        \
  E(glDrawRangeElementsEXT, PFNGLDRAWRANGEELEMENTSEXTPROC)                         \
  E(glLockArraysEXT, PFNGLLOCKARRAYSEXTPROC)                                       \
  E(glUnlockArraysEXT, PFNGLUNLOCKARRAYSEXTPROC)                                   \
  E(glMultiDrawArraysEXT, PFNGLMULTIDRAWARRAYSEXTPROC)                             \
  E(glMultiDrawElementsEXT, PFNGLMULTIDRAWELEMENTSEXTPROC)                         \
  E(glBindBufferARB, PFNGLBINDBUFFERARBPROC)                                       \
  E(glDeleteBuffersARB, PFNGLDELETEBUFFERSARBPROC)                                 \
  E(glGenBuffersARB, PFNGLGENBUFFERSARBPROC)                                       \
  E(glIsBufferARB, PFNGLISBUFFERARBPROC)                                           \
  E(glBufferDataARB, PFNGLBUFFERDATAARBPROC)                                       \
  E(glBufferSubDataARB, PFNGLBUFFERSUBDATAARBPROC)                                 \
  E(glGetBufferSubDataARB, PFNGLGETBUFFERSUBDATAARBPROC)                           \
  E(glMapBufferARB, PFNGLMAPBUFFERARBPROC)                                         \
  E(glUnmapBufferARB, PFNGLUNMAPBUFFERARBPROC)                                     \
  E(glGetBufferParameterivARB, PFNGLGETBUFFERPARAMETERIVARBPROC)                   \
  E(glGetBufferPointervARB, PFNGLGETBUFFERPOINTERVARBPROC)                         \
  E(glDeleteObjectARB, PFNGLDELETEOBJECTARBPROC)                                   \
  E(glGetHandleARB, PFNGLGETHANDLEARBPROC)                                         \
  E(glDetachObjectARB, PFNGLDETACHOBJECTARBPROC)                                   \
  E(glCreateShaderObjectARB, PFNGLCREATESHADEROBJECTARBPROC)                       \
  E(glShaderSourceARB, PFNGLSHADERSOURCEARBPROC)                                   \
  E(glCompileShaderARB, PFNGLCOMPILESHADERARBPROC)                                 \
  E(glCreateProgramObjectARB, PFNGLCREATEPROGRAMOBJECTARBPROC)                     \
  E(glAttachObjectARB, PFNGLATTACHOBJECTARBPROC)                                   \
  E(glLinkProgramARB, PFNGLLINKPROGRAMARBPROC)                                     \
  E(glUseProgramObjectARB, PFNGLUSEPROGRAMOBJECTARBPROC)                           \
  E(glValidateProgramARB, PFNGLVALIDATEPROGRAMARBPROC)                             \
  E(glUniform1fARB, PFNGLUNIFORM1FARBPROC) E(glUniform2fARB, PFNGLUNIFORM2FARBPROC) \
  E(glUniform3fARB, PFNGLUNIFORM3FARBPROC) E(glUniform4fARB, PFNGLUNIFORM4FARBPROC) \
  E(glUniform1iARB, PFNGLUNIFORM1IARBPROC) E(glUniform2iARB, PFNGLUNIFORM2IARBPROC) \
  E(glUniform3iARB, PFNGLUNIFORM3IARBPROC) E(glUniform4iARB, PFNGLUNIFORM4IARBPROC) \
  E(glUniform1fvARB, PFNGLUNIFORM1FVARBPROC) E(glUniform2fvARB, PFNGLUNIFORM2FVARBPROC) \
  E(glUniform3fvARB, PFNGLUNIFORM3FVARBPROC) E(glUniform4fvARB, PFNGLUNIFORM4FVARBPROC) \
  E(glUniform1ivARB, PFNGLUNIFORM1IVARBPROC) E(glUniform2ivARB, PFNGLUNIFORM2IVARBPROC) \
  E(glUniform3ivARB, PFNGLUNIFORM3IVARBPROC) E(glUniform4ivARB, PFNGLUNIFORM4IVARBPROC) \
  E(glUniformMatrix2fvARB, PFNGLUNIFORMMATRIX2FVARBPROC)                           \
  E(glUniformMatrix3fvARB, PFNGLUNIFORMMATRIX3FVARBPROC)                           \
  E(glUniformMatrix4fvARB, PFNGLUNIFORMMATRIX4FVARBPROC)                           \
  E(glGetObjectParameterfvARB, PFNGLGETOBJECTPARAMETERFVARBPROC)                   \
  E(glGetObjectParameterivARB, PFNGLGETOBJECTPARAMETERIVARBPROC)                   \
  E(glGetInfoLogARB, PFNGLGETINFOLOGARBPROC)                                       \
  E(glGetAttachedObjectsARB, PFNGLGETATTACHEDOBJECTSARBPROC)                       \
  E(glGetUniformLocationARB, PFNGLGETUNIFORMLOCATIONARBPROC)                       \
  E(glGetActiveUniformARB, PFNGLGETACTIVEUNIFORMARBPROC)                           \
  E(glGetUniformfvARB, PFNGLGETUNIFORMFVARBPROC)                                   \
  E(glGetUniformivARB, PFNGLGETUNIFORMIVARBPROC)                                   \
  E(glGetShaderSourceARB, PFNGLGETSHADERSOURCEARBPROC)                             \
  E(glBindAttribLocationARB, PFNGLBINDATTRIBLOCATIONARBPROC)                       \
  E(glGetActiveAttribARB, PFNGLGETACTIVEATTRIBARBPROC)                             \
  E(glGetAttribLocationARB, PFNGLGETATTRIBLOCATIONARBPROC)

// The extensions in table order: the OpenGL ones, searched in the GL_EXTENSIONS string, then the
// window-system ones (docs/decisions/render.md says which GLX extension stands for each).
#define PM_OPENGL_EXT_FLAGS(F)                                                                           \
  F(GL_ARB_imaging) F(GL_ARB_multitexture) F(GL_ARB_multisample) F(GL_ARB_texture_compression)           \
  F(GL_ARB_texture_cube_map) F(GL_ARB_texture_env_add) F(GL_ARB_texture_env_combine)                     \
  F(GL_ARB_texture_env_dot3) F(GL_ARB_vertex_buffer_object) F(GL_ARB_shader_objects)                     \
  F(GL_ARB_shading_language_100) F(GL_ARB_vertex_shader) F(GL_ARB_fragment_shader)                       \
  F(GL_ARB_texture_non_power_of_two) F(GL_ARB_draw_buffers) F(GL_ARB_color_buffer_float)                 \
  F(GL_ARB_pixel_buffer_object) F(GL_ARB_half_float_pixel) F(GL_ARB_texture_float) F(GL_ARB_depth_texture) \
  F(GL_EXT_abgr) F(GL_EXT_bgra) F(GL_EXT_blend_color) F(GL_EXT_blend_minmax) F(GL_EXT_blend_subtract)    \
  F(GL_EXT_compiled_vertex_array) F(GL_EXT_draw_range_elements) F(GL_EXT_fog_coord)                      \
  F(GL_EXT_multi_draw_arrays) F(GL_EXT_packed_pixels) F(GL_EXT_point_parameters) F(GL_EXT_rescale_normal) \
  F(GL_EXT_secondary_color) F(GL_EXT_separate_specular_color) F(GL_EXT_stencil_wrap)                     \
  F(GL_EXT_texture_compression_s3tc) F(GL_EXT_texture_edge_clamp) F(GL_EXT_texture_env_add)              \
  F(GL_EXT_texture_env_combine) F(GL_EXT_texture_env_dot3) F(GL_EXT_texture_cube_map)                    \
  F(GL_EXT_texture_filter_anisotropic) F(GL_EXT_texture_lod) F(GL_EXT_texture_lod_bias)                  \
  F(GL_EXT_texture_object) F(GL_EXT_vertex_array) F(GL_IBM_texture_mirrored_repeat)                      \
  F(GL_KTX_buffer_region) F(GL_NV_blend_square) F(GL_NV_fence) F(GL_NV_fog_distance)                     \
  F(GL_NV_light_max_exponent) F(GL_NV_packed_depth_stencil) F(GL_NV_register_combiners)                  \
  F(GL_NV_texgen_reflection) F(GL_NV_texture_env_combine4) F(GL_NV_texture_rectangle)                    \
  F(GL_SGIS_generate_mipmap) F(GL_SGIS_texture_lod) F(GL_S3_s3tc) F(GL_WIN_swap_hint)                    \
  F(WGL_ARB_buffer_region) F(WGL_ARB_extensions_string) F(WGL_ARB_pbuffer) F(WGL_ARB_pixel_format)       \
  F(WGL_ARB_render_texture) F(WGL_ARB_make_current_read) F(WGL_EXT_extensions_string)                    \
  F(WGL_EXT_swap_control) F(WGL_NV_render_texture_rectangle)
// clang-format on

enum OpenGLExtension : int {
#define PM_OPENGL_EXT_ENUM(name) k##name,
  PM_OPENGL_EXT_FLAGS(PM_OPENGL_EXT_ENUM)
#undef PM_OPENGL_EXT_ENUM
      kOpenGLExtensionCount
};

// The entry points, flags and culling workaround: the part of the set that is cleared as one.
struct OpenGLEXTSet {
  static constexpr int kEntryCount = 75;
  static constexpr int kFlagCount = 70;
  static constexpr int kGLFlagCount = 61;  // the rest are window-system extensions

#define PM_OPENGL_EXT_FIELD(name, type) type name = nullptr;
  PM_OPENGL_EXT_ENTRIES(PM_OPENGL_EXT_FIELD)
#undef PM_OPENGL_EXT_FIELD
  uint8_t flags[kFlagCount] = {};
  int32_t CullingWorkaround = 0;  // 1: the driver culls wrongly; the engine culls by itself
};

class OpenGLEXT : public OpenGLEXTSet {
 public:
  OpenGLEXT() = default;
  OpenGLEXT(const OpenGLEXT&) = delete;
  OpenGLEXT& operator=(const OpenGLEXT&) = delete;

  bool Has(OpenGLExtension e) const { return flags[e] != 0; }

  // Fills the set; only the first call (after construction, or after Exit brought the count back to
  // 0) does anything. `display` is the connection the current context draws on (null: no window-system
  // extensions). Always 0.
  ResultCode Init(const String& registryBase, const OpenGLAPI& api, Display* display, int screen = 0);
  // EOverflow when called more often than Init.
  ResultCode Exit();

  // Sets the flag when `name` stands in `extensions` as a whole word, then lets the registry clear it.
  static void DetectExtension(const char* name, const char* extensions, RegistryKey& key, uint8_t& flag);
  // The tri-state registry word of a value: -1 off, 0 automatic, 1 on.
  static int RegGet(const char* name, const RegistryKey& key);
  // Lets the registry value named after the extension switch it off (never on).
  static void RegOverride(const char* name, const RegistryKey& key, uint8_t& flag);
  static ResultCode RegSet(const char* name, const char* word, RegistryKey& key);

  // The registry key of the switches: "Software\Pelmora\Engine\OpenGL", or base + "Engine\OpenGL".
  static String KeyPath(const String& registryBase);
  static const char* FlagName(int index);
  static const char* EntryName(int index);
  OpenGLProc Entry(int index) const;

  int32_t InitCount() const { return m_initCount; }
  const String& RegistryBase() const { return m_registryBase; }

 private:
  void ClearAll();
  void SetEntry(int index, OpenGLProc proc);
  void ApplyWorkarounds(const char* vendor, const char* renderer, int workarounds);
  void ListState() const;
  void MakeConsistent();

  int32_t m_initCount = 0;
  String m_registryBase;
};

}  // namespace PM
