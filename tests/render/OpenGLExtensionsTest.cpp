// The extension set on the recording stand-in: whole-word detection, registry words and key, driver
// workarounds, window-system extensions, the consistency rules and the listing.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "RecordingGL.h"
#include "core/RegistryKey.h"
#include "render/opengl/OpenGLExtensions.h"

namespace PM::Test {
namespace {

constexpr const char* kKey = "Software\\Pelmora\\Engine\\OpenGL";
constexpr const char* kMesaLike =
    "GL_ARB_multitexture GL_EXT_vertex_array GL_EXT_draw_range_elements GL_ARB_vertex_buffer_object "
    "GL_EXT_compiled_vertex_array GL_ARB_texture_cube_map";

class OpenGLExtensionsTest : public RecordingGLTest {
 protected:
  void SetValue(const char* name, const char* word) {
    RegistryKey key;
    ASSERT_TRUE(key.CreateKey(kKey));
    key.SetValueDataString(name, word);
  }
  std::string Value(const char* name, const char* path = kKey) {
    RegistryKey key;
    String s;
    if (key.OpenKey(path)) key.GetValueDataString(s, name, "(missing)");
    return key.IsOpen() ? s.CStr() : "(no key)";
  }
  // Init on the stand-in's strings; the display is a token the stand-in never reads.
  void Init(OpenGLEXT& ext, bool withDisplay = true, const char* base = "") {
    m_gl.SetString("glx", "GLX_ARB_get_proc_address GLX_SGI_make_current_read GLX_EXT_swap_control");
    ASSERT_EQ(ext.Init(String::FromCStr(base), Api(), withDisplay ? reinterpret_cast<Display*>(&m_token) : nullptr),
              SOK);
  }
  int SetFlags(const OpenGLEXT& ext) {
    int n = 0;
    for (uint8_t f : ext.flags) n += f;
    return n;
  }
  int SetEntries(const OpenGLEXT& ext) {
    int n = 0;
    for (int i = 0; i < OpenGLEXT::kEntryCount; ++i) n += ext.Entry(i) != nullptr;
    return n;
  }
  int m_token = 0;
};

TEST(OpenGLExtensionWords, DetectionWantsWholeWordsAnywhere) {
  struct Case {
    const char* list;
    uint8_t found;
  } cases[] = {
      {"GL_EXT_texture_lod", 1},
      {"GL_A GL_EXT_texture_lod GL_B", 1},
      {"GL_A GL_EXT_texture_lod", 1},
      {"GL_EXT_texture_lod_bias", 0},
      {"GL_EXT_texture_lod_bias GL_EXT_texture_lod", 1},  // the second occurrence counts
      {"XGL_EXT_texture_lod", 0},
      {"GL_EXT_texture_lod_bias GL_EXT_texture_lodX GL_EXT_texture_lod ", 1},
      {"", 0},
  };
  TempDir dir;
  setenv("PM_REGISTRY_FILE", dir.File("r.txt").c_str(), 1);
  RegistryKey key;
  for (const Case& c : cases) {
    uint8_t flag = 7;
    OpenGLEXT::DetectExtension("GL_EXT_texture_lod", c.list, key, flag);
    EXPECT_EQ(flag, c.found) << c.list;
  }
  unsetenv("PM_REGISTRY_FILE");
}

TEST_F(OpenGLExtensionsTest, RegistryWordsOnlyTakeAway) {
  struct Case {
    const char* word;
    uint8_t before, after;
    const char* line;
  } cases[] = {
      {"disable", 1, 0, "Info  RegOverride: extension disabled: GL_NV_fence.\n"},
      {"no", 1, 0, "Info  RegOverride: extension disabled: GL_NV_fence.\n"},
      {"default", 1, 1, ""},
      {"auto", 0, 0, ""},
      {"", 1, 1, ""},
      {"enable", 0, 0, "Warn  RegOverride: extension cannot be forced enabled: GL_NV_fence.\n"},
      {"yes", 1, 1, ""},
      {"Disable", 1, 1, "Warn  RegOverride: extension unknown value: GL_NV_fence.\n"},
  };
  for (const Case& c : cases) {
    SetValue("GL_NV_fence", c.word);
    RegistryKey key;
    ASSERT_TRUE(key.OpenKey(kKey));
    uint8_t flag = c.before;
    OpenGLEXT::RegOverride("GL_NV_fence", key, flag);
    EXPECT_EQ(flag, c.after) << c.word;
    EXPECT_EQ(m_log.Take(), c.line) << c.word;
  }
  SetValue("Workaround2", "maybe");
  RegistryKey key;
  ASSERT_TRUE(key.OpenKey(kKey));
  EXPECT_EQ(OpenGLEXT::RegGet("Workaround2", key), 0);
  EXPECT_EQ(m_log.Take(), "Warn  RegGet: unknown value: Workaround2.\n");
}

TEST_F(OpenGLExtensionsTest, FreshKeyIsCreatedAndInitWorksOnce) {
  m_gl.SetString("extensions", kMesaLike);
  OpenGLEXT ext;
  Init(ext, true, "Software\\Other\\");
  const char* path = "Software\\Other\\Engine\\OpenGL";
  EXPECT_EQ(Value("Extensions", path), "default");
  EXPECT_EQ(Value("Workaround2", path), "disable");
  EXPECT_EQ(Value("Extensions"), "(no key)");
  EXPECT_TRUE(ext.Has(kGL_ARB_multitexture));
  EXPECT_TRUE(ext.Has(kGL_EXT_vertex_array));
  EXPECT_TRUE(ext.Has(kGL_ARB_vertex_buffer_object));
  EXPECT_NE(ext.glDrawRangeElementsEXT, nullptr);
  EXPECT_EQ(ext.glBindBufferARB, nullptr) << "a listed group need not bring every entry";
  EXPECT_EQ(ext.glUseProgramObjectARB, nullptr) << "shader objects are not listed";

  // Later calls only count; Exit balances them and reports one too many.
  m_gl.SetString("extensions", "");
  EXPECT_EQ(ext.Init(String(), OpenGLAPI::Instance(), nullptr), SOK);
  EXPECT_TRUE(ext.Has(kGL_ARB_multitexture));
  EXPECT_EQ(ext.Exit(), SOK);
  EXPECT_EQ(ext.Exit(), SOK);
  EXPECT_EQ(ext.Exit(), EOverflow);
}

TEST_F(OpenGLExtensionsTest, RegistrySwitchesAndListing) {
  m_gl.SetString("extensions", kMesaLike);
  SetValue("GL_ARB_texture_cube_map", "disable");
  SetValue("GL_ARB_shader_objects", "enable");
  OpenGLEXT ext;
  Init(ext);
  std::string text = m_log.Take();
  EXPECT_FALSE(ext.Has(kGL_ARB_texture_cube_map));
  EXPECT_NE(text.find("Info  GL.Extensions: " + std::string(kMesaLike) + "\n"), std::string::npos);
  EXPECT_NE(text.find("Info  RegOverride: extension disabled: GL_ARB_texture_cube_map.\n"), std::string::npos);
  EXPECT_NE(text.find("Warn  RegOverride: extension cannot be forced enabled: GL_ARB_shader_objects.\n"),
            std::string::npos);
  EXPECT_NE(text.find("Info    ok GL_ARB_multitexture\nInfo    no GL_ARB_multisample\n"), std::string::npos);
  EXPECT_NE(text.find("Info    ok glActiveTextureARB\n"), std::string::npos);
  int listed = 0;
  for (size_t at = 0; (at = text.find("\nInfo    ", at)) != std::string::npos; ++at) ++listed;
  EXPECT_EQ(listed, OpenGLEXT::kFlagCount + OpenGLEXT::kEntryCount);

  // With Info lines filtered out, no listing is written.
  OpenGLEXT quiet;
  int saved = g_LogLevel.exchange(kLevelInfo);
  quiet.Init(String(), OpenGLAPI::Instance(), nullptr);
  g_LogLevel = saved;
  EXPECT_EQ(m_log.Take().find("  ok "), std::string::npos);
}

TEST_F(OpenGLExtensionsTest, ExtensionsSwitchedOffLeaveEveryFlagZero) {
  m_gl.SetString("extensions", kMesaLike);
  SetValue("Extensions", "no");
  OpenGLEXT ext;
  Init(ext);
  std::string text = m_log.Take();
  EXPECT_NE(text.find("Warn  OpenGLEXT: Registy/OpenGL/Extensions are set to disabled.\n"), std::string::npos);
  EXPECT_EQ(text.find("GL.Extensions"), std::string::npos);
  EXPECT_EQ(SetFlags(ext), 0);
  EXPECT_EQ(SetEntries(ext), 0);
  EXPECT_EQ(Value("Workaround2"), "disable");
}

TEST_F(OpenGLExtensionsTest, WindowSystemExtensionsNeedTheDisplay) {
  m_gl.SetString("extensions", kMesaLike);
  OpenGLEXT withDisplay;
  Init(withDisplay);
  struct Flag {
    OpenGLExtension flag;
    uint8_t set;
  } flags[] = {{kWGL_ARB_buffer_region, 0},     {kWGL_ARB_extensions_string, 1}, {kWGL_ARB_pbuffer, 0},
               {kWGL_ARB_pixel_format, 0},      {kWGL_ARB_render_texture, 0},    {kWGL_ARB_make_current_read, 1},
               {kWGL_EXT_extensions_string, 1}, {kWGL_EXT_swap_control, 1},      {kWGL_NV_render_texture_rectangle, 0}};
  for (const Flag& f : flags) EXPECT_EQ(withDisplay.flags[f.flag], f.set) << OpenGLEXT::FlagName(f.flag);
  EXPECT_NE(withDisplay.glXSwapIntervalEXT, nullptr);
  EXPECT_NE(withDisplay.glXQueryDrawable, nullptr);  // reads the interval back
  EXPECT_NE(m_log.Take().find("Info  GLW.Extensions: GLX_ARB_get_proc_address GLX_SGI_make_current_read"),
            std::string::npos);
  EXPECT_NE(m_gl.Take().find("glXQueryExtensionsString(0)"), std::string::npos);

  OpenGLEXT noDisplay;
  Init(noDisplay, false);
  for (int i = OpenGLEXT::kGLFlagCount; i < OpenGLEXT::kFlagCount; ++i) EXPECT_EQ(noDisplay.flags[i], 0);
  EXPECT_EQ(noDisplay.glXSwapIntervalEXT, nullptr);
  EXPECT_EQ(noDisplay.glXQueryDrawable, nullptr);
  EXPECT_NE(m_log.Take().find("Info  GLW.Extensions: \n"), std::string::npos);
}

TEST_F(OpenGLExtensionsTest, DriverWorkarounds) {
  struct Case {
    const char* vendor;
    const char* renderer;
    const char* workaround2;  // null: missing
    std::vector<std::string> lines;
    bool rangeAndBuffers;  // GL_EXT_draw_range_elements and GL_ARB_vertex_buffer_object kept
    int culling;
    bool everything;  // nothing removed at all
    bool nothing;     // the whole set cleared
    const char* written;
  } cases[] = {
      {"ATI Technologies Inc.",
       "Radeon 9700",
       "yes",
       {"Info  OpenGL: ATI/Radeon driver detected.\n",
        "Info  OpenGL: ATI/Radeon driver detected, disabling some unstable extensions.\n",
        "Info  OpenGL: ATI/8500/9000/9500/9700 driver detected, disabling culling.\n"},
       false,
       1,
       false,
       false,
       "enable"},
      {"ATI Technologies Inc.",
       "Radeon X800",
       "enable",
       {"Info  OpenGL: ATI/Radeon driver detected, disabling some unstable extensions.\n"},
       false,
       0,
       false,
       false,
       "enable"},
      {"Someone",
       "Radeon 9700",
       "default",
       {"Info  OpenGL: ATI/Radeon driver detected, user/registry selected 'no workarounds'.\n"},
       true,
       0,
       true,
       false,
       "disable"},
      {"S3 Graphics, Inc.",
       "ProSavage",
       "yes",
       {"Info  OpenGL: S3 driver detected.\n", "Info  OpenGL: S3 driver - forcing 100% no extensions.\n"},
       false,
       0,
       false,
       true,
       "enable"},
      {"S3 Graphics, Inc.",
       "ProSavage",
       nullptr,
       {"Info  OpenGL: S3 driver detected, user/registry selected 'no workarounds'.\n"},
       true,
       0,
       true,
       false,
       "disable"},
      {"3Dfx Interactive",
       "Voodoo3",
       "yes",
       {"Info  OpenGL: 3Dfx driver - forcing 100% no extensions.\n"},
       false,
       0,
       false,
       true,
       "enable"},
      {"SiS",
       "Mirage",
       "yes",
       {"Info  OpenGL: SiS driver detected, disabling some unstable extensions.\n",
        "Warn  OpenGL: inconsistent multitexture extension disabled.\n"},
       true,
       0,
       false,
       false,
       "enable"},
  };
  OpenGLEXT reference;
  m_gl.SetString("extensions", kMesaLike);
  Init(reference);
  m_log.Take();
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.vendor) + " / " + c.renderer);
    m_gl.SetString("vendor", c.vendor);
    m_gl.SetString("renderer", c.renderer);
    SetValue("Workaround2", c.workaround2 ? c.workaround2 : "");
    OpenGLEXT ext;
    ASSERT_EQ(ext.Init(String(), OpenGLAPI::Instance(), reinterpret_cast<Display*>(&m_token)), SOK);
    std::string text = m_log.Take();
    for (const std::string& line : c.lines) EXPECT_NE(text.find(line), std::string::npos) << line << text;
    EXPECT_EQ(ext.CullingWorkaround, c.culling);
    EXPECT_EQ(Value("Workaround2"), c.written);
    if (c.nothing) {
      EXPECT_EQ(SetFlags(ext), 0);
      EXPECT_EQ(SetEntries(ext), 0);
    } else {
      EXPECT_EQ(ext.Has(kGL_EXT_draw_range_elements), c.rangeAndBuffers);
      EXPECT_EQ(ext.Has(kGL_ARB_vertex_buffer_object), c.rangeAndBuffers);
      EXPECT_EQ(ext.glDrawRangeElementsEXT != nullptr, c.rangeAndBuffers);
    }
    if (c.everything) {
      EXPECT_EQ(SetFlags(ext), SetFlags(reference));
      EXPECT_EQ(SetEntries(ext), SetEntries(reference));
    }
  }
}

TEST_F(OpenGLExtensionsTest, InconsistentExtensionsAreRemoved) {
  struct Case {
    const char* extensions;
    const char* hidden;
    const char* warning;
    OpenGLExtension gone;
    OpenGLExtension alsoGone;
  } cases[] = {
      {"GL_ARB_multitexture", nullptr, "Warn  OpenGL: inconsistent multitexture extension disabled.\n",
       kGL_ARB_multitexture, kGL_ARB_multitexture},
      {"GL_ARB_multitexture GL_EXT_vertex_array", "glClientActiveTextureARB",
       "Warn  OpenGL: inconsistent multitexture extension disabled.\n", kGL_ARB_multitexture, kGL_ARB_multitexture},
      {"GL_EXT_draw_range_elements GL_ARB_vertex_buffer_object", "glDrawRangeElementsEXT",
       "Warn  OpenGL: inconsistent DrawRangeElementsEXT extension disabled.\n", kGL_EXT_draw_range_elements,
       kGL_ARB_vertex_buffer_object},
      {"GL_EXT_compiled_vertex_array", "glUnlockArraysEXT", nullptr, kGL_EXT_compiled_vertex_array,
       kGL_EXT_compiled_vertex_array},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.extensions);
    m_gl.SetString("extensions", c.extensions);
    if (c.hidden) m_gl.Hide(c.hidden);
    OpenGLEXT ext;
    Init(ext);
    std::string text = m_log.Take();
    if (c.warning) {
      EXPECT_NE(text.find(c.warning), std::string::npos);
    }
    EXPECT_FALSE(ext.Has(c.gone));
    EXPECT_FALSE(ext.Has(c.alsoGone));
    EXPECT_EQ(ext.glActiveTextureARB != nullptr, ext.Has(kGL_ARB_multitexture));
    EXPECT_EQ(ext.glClientActiveTextureARB != nullptr, ext.Has(kGL_ARB_multitexture));
    EXPECT_EQ(ext.glLockArraysEXT != nullptr, ext.Has(kGL_EXT_compiled_vertex_array));
    EXPECT_EQ(ext.glDrawRangeElementsEXT != nullptr, ext.Has(kGL_EXT_draw_range_elements));
    OpenGLAPI::Instance().ExitAPI();
    OpenGLAPI::Instance().UnloadDLL();
  }
}

}  // namespace
}  // namespace PM::Test
