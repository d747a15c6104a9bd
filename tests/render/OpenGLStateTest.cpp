// The state cache on the recording stand-in: the exact calls Apply sends, units from the highest down,
// and the calls left out without unit selection, cube maps or program objects.
#include <gtest/gtest.h>

#include "RecordingGL.h"
#include "render/opengl/OpenGLExtensions.h"
#include "render/opengl/OpenGLState.h"

namespace PM::Test {
namespace {

class OpenGLStateTest : public RecordingGLTest {
 protected:
  // An extension set with multitexturing, cube maps and program objects, as Init would fill it.
  void Fill(OpenGLEXT& ext, const OpenGLAPI& api) {
    ext.glActiveTextureARB = reinterpret_cast<PFNGLACTIVETEXTUREARBPROC>(api.GetWGLProcAddress("glActiveTextureARB"));
    ext.glUseProgramObjectARB =
        reinterpret_cast<PFNGLUSEPROGRAMOBJECTARBPROC>(api.GetWGLProcAddress("glUseProgramObjectARB"));
    ext.flags[kGL_ARB_texture_cube_map] = 1;
  }
};

constexpr const char* kHead =
    "glDisable(0x0B50)\n"
    "glEnable(0x0BA1)\n"
    "glDisable(0x0B57)\n"
    "glMaterialfv(0x0404, 0x1200, 0.8 0.8 0.8 1)\n"
    "glMaterialfv(0x0404, 0x1201, 0.8 0.8 0.8 1)\n"
    "glMaterialfv(0x0404, 0x1202, 0 0 0 1)\n"
    "glMaterialfv(0x0404, 0x1600, 0 0 0 1)\n"
    "glMaterialf(0x0404, 0x1601, 0)\n"
    "glDisable(0x0BC0)\n"
    "glAlphaFunc(0x0207, 0)\n"
    "glEnable(0x0B71)\n"
    "glDepthFunc(0x0203)\n"
    "glDepthMask(1)\n"
    "glDisable(0x0BE2)\n"
    "glBlendFunc(0x0000, 0x0300)\n"
    "glDisable(0x0B44)\n"
    "glCullFace(0x0405)\n"
    "glPolygonMode(0x0408, 0x1B02)\n"
    "glLineWidth(1)\n"
    "glDisable(0x2A02)\n"
    "glDisable(0x8037)\n"
    "glPolygonOffset(0, 0)\n";

std::string Unit(int unit, bool select, bool cube) {
  char sel[64];
  snprintf(sel, sizeof sel, "glActiveTextureARB(0x%04X)\n", 0x84C0 + unit);
  return std::string(select ? sel : "") + "glDisable(0x0DE1)\n" + (cube ? "glDisable(0x8513)\n" : "") +
         "glDisable(0x0C60)\nglDisable(0x0C61)\nglDisable(0x0C62)\n"
         "glTexGeni(0x2000, 0x2500, 0x2402)\nglTexGeni(0x2001, 0x2500, 0x2402)\nglTexGeni(0x2002, 0x2500, 0x2400)\n"
         "glTexEnvi(0x2300, 0x2200, 0x2100)\n" +
         (select ? "glActiveTextureARB(0x84C0)\n" : "");
}

TEST_F(OpenGLStateTest, ApplySendsTheRecordInOrder) {
  OpenGLAPI& api = Api();
  struct Case {
    const char* name;
    bool select, cube, program;
  } cases[] = {{"everything", true, true, true},
               {"no unit selection", false, true, true},
               {"no cube maps", true, false, true},
               {"no program objects", true, true, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    OpenGLEXT ext;
    Fill(ext, api);
    if (!c.select) ext.glActiveTextureARB = nullptr;
    if (!c.cube) ext.flags[kGL_ARB_texture_cube_map] = 0;
    if (!c.program) ext.glUseProgramObjectARB = nullptr;
    OpenGLState state;
    state.Reset(2);
    m_gl.Take();
    state.Apply(api, ext);
    std::string want =
        kHead + Unit(1, c.select, c.cube) + Unit(0, c.select, c.cube) + (c.program ? "glUseProgramObjectARB(0)\n" : "");
    EXPECT_EQ(m_gl.Take(), want);
  }
}

TEST_F(OpenGLStateTest, ResetClampsUnitsAndKeepsEngineData) {
  OpenGLAPI& api = Api();
  OpenGLEXT ext;
  Fill(ext, api);
  auto state = std::make_unique<OpenGLState>();
  state->engineData[5] = 77;
  state->units[3].texture2D = 1;
  state->blendSource = GL_ONE;
  struct Case {
    int32_t asked, used;
  } cases[] = {{12, 8}, {8, 8}, {0, 0}, {-3, 0}, {1, 1}};
  for (const Case& c : cases) {
    state->Reset(c.asked);
    EXPECT_EQ(state->unitCount, c.used) << c.asked;
    m_gl.Take();
    state->Apply(api, ext);
    std::string calls = m_gl.Take();
    int selects = 0;
    for (size_t at = 0; (at = calls.find("glActiveTextureARB", at)) != std::string::npos; ++at) ++selects;
    EXPECT_EQ(selects, 2 * c.used) << c.asked;
    if (c.used == 8) {
      EXPECT_LT(calls.find("(0x84C7)"), calls.find("(0x84C6)"));
    }
  }
  EXPECT_EQ(state->engineData[5], 77u);
  EXPECT_EQ(state->units[3].texture2D, 0);
  EXPECT_EQ(state->units[7].unit, 7);
  EXPECT_EQ(state->blendSource, GL_ZERO);
  EXPECT_EQ(state->engineOps[2], GL_KEEP);
}

TEST_F(OpenGLStateTest, ApplyWithoutResolvedTableSendsNothing) {
  OpenGLAPI& api = OpenGLAPI::Instance();
  ASSERT_EQ(api.LoadDLL(), SOK);
  OpenGLEXT ext;
  OpenGLState state;
  state.Reset(1);
  state.Apply(api, ext);
  EXPECT_EQ(m_gl.Take(), "");
  EXPECT_NE(m_log.Take().find("Error OpenGLState::Apply: the OpenGL API is not resolved.\n"), std::string::npos);
}

}  // namespace
}  // namespace PM::Test
