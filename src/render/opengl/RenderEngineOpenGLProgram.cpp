// The OpenGL engine's GLSL programs: shader files read from the storage layer, compiled and linked through
// the ARB shader objects, cached per program and engine, and applied with the surface's material.
#include <algorithm>

#include "classes/FileObject.h"
#include "core/Log.h"
#include "render/RenderMaterial.h"
#include "render/RenderShader.h"
#include "render/ShaderPhong.h"
#include "render/ShaderProgram.h"
#include "render/ShaderTexture.h"
#include "render/Texture2D.h"
#include "render/TextureLoad.h"
#include "render/opengl/RenderEngineOpenGL.h"
#include "render/opengl/ShaderHandleOpenGL.h"
#include "render/opengl/ShaderSources.h"
#include "scene/VertexDataUsage.h"

namespace PM {

namespace {

// Info logs are fetched up to this length.
constexpr GLint kMaxInfoLog = 1 << 20;

bool Present(const ScriptObject* o) { return o && !IsNilObject(o); }

template <class T>
T* As(ScriptObject* o) {
  return Present(o) && o->IsA(T::kClassId) ? static_cast<T*>(o) : nullptr;
}

// The driver's text about an object, without the line ends it closes with.
std::string InfoLog(const OpenGLEXT& ext, GLhandleARB object) {
  GLint length = 16384;
  ext.glGetObjectParameterivARB(object, GL_OBJECT_INFO_LOG_LENGTH_ARB, &length);
  length = std::clamp(length, GLint(1), kMaxInfoLog);
  std::string text(size_t(length), '\0');
  GLsizei written = 0;
  ext.glGetInfoLogARB(object, length, &written, text.data());
  text.resize(size_t(std::clamp(written, GLsizei(0), length)));
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == '\0')) text.pop_back();
  return text;
}

// One failure is one message: who failed on which files, the headline, then the driver's text between
// "----" lines.
void ReportFailure(const std::string& who, const std::string& files, const char* headline, const std::string& text) {
  Log(LogOutPipe(), kLevelError, who.c_str(), " (", files.c_str(), "): ", headline, "\n----\n", text.c_str(), "\n----");
}

}  // namespace

uint32_t RenderEngineOpenGL_D::BuildProgram(const ShaderSources& sources) {
  const OpenGLEXT& e = m_ext;
  if (!e.glCreateProgramObjectARB || !e.glCreateShaderObjectARB) return 0;
  const GLhandleARB program = e.glCreateProgramObjectARB();
  // Without both texts the program stays empty and never links, so it is kept (and reported) once but
  // never bound.
  if (!sources.complete) return program;
  const GLenum types[2] = {GL_VERTEX_SHADER_ARB, GL_FRAGMENT_SHADER_ARB};
  const char* failures[2] = {"Vertexshader failed to compile.", "Fragmentshader failed to compile."};
  for (int i = 0; i < 2; ++i) {
    const GLhandleARB object = e.glCreateShaderObjectARB(types[i]);
    const GLcharARB* text = sources.texts[i].CStr();
    const GLint length = sources.texts[i].Length();
    e.glShaderSourceARB(object, 1, &text, &length);
    e.glCompileShaderARB(object);
    GLint status = 0;
    e.glGetObjectParameterivARB(object, GL_OBJECT_COMPILE_STATUS_ARB, &status);
    if (status == 0) ReportFailure(sources.who, sources.paths[i], failures[i], InfoLog(e, object));
    e.glAttachObjectARB(program, object);
    // Attached objects live on with the program.
    e.glDeleteObjectARB(object);
  }
  e.glLinkProgramARB(program);
  GLint linked = 0;
  e.glGetObjectParameterivARB(program, GL_OBJECT_LINK_STATUS_ARB, &linked);
  if (linked == 0) ReportFailure(sources.who, sources.BothPaths(), "Shader failed to link.", InfoLog(e, program));
  return program;
}

uint32_t RenderEngineOpenGL_D::QuickCompileShaderARB(const String& directory, const String& vertexName,
                                                     const String& fragmentName) {
  Log(LogOutPipe(), kLevelDebug, "QuickCompileShaderARB");
  auto path = [&](const String& name, const char* suffix) {
    return name.IsEmpty() ? std::string() : std::string(directory.View()).append(name.View()).append(suffix);
  };
  const uint32_t program =
      BuildProgram(ShaderSources::Read("QuickCompileShaderARB", path(vertexName, ".vs"), path(fragmentName, ".fs")));
  Log(LogOutPipe(), kLevelDebug, "QuickCompileShaderARB done.");
  return program;
}

ResultCode RenderEngineOpenGL_D::SetShader(ScriptObject* shader, bool) {
  const OpenGLAPI& gl = GL();
  gl.CheckError(gl.glGetError(), "pre SetShader");
  RenderShader_I* s = As<RenderShader_I>(shader);
  ShaderProgram_I* program = s ? As<ShaderProgram_I>(s->m_program.Get()) : nullptr;
  if (!program || !m_ext.glUseProgramObjectARB) return 0;
  auto* handle = dynamic_cast<ShaderHandleOpenGL*>(program->GetHandle());
  // A handle made by another engine names a program of another (perhaps dead) context.
  if (!handle || handle->OwnerSerial() != m_serial) {
    std::string paths[2];
    const Obj<FileObject_I>* files[2] = {&program->m_vertexShaderFile, &program->m_fragmentShaderFile};
    const char* suffixes[2] = {".vs", ".fs"};
    for (int i = 0; i < 2; ++i) {
      String resolved;
      if (Present(files[i]->Get()) && ResolveImagePath(files[i]->Get(), m_textureSettings.ImagePath, resolved) == 0)
        paths[i] = std::string(resolved.View()).append(suffixes[i]);
    }
    const std::string who = std::string("ShaderProgram \"").append(program->m_name.View()).append("\"");
    const ShaderSources sources = ShaderSources::Read(who, paths[0], paths[1]);
    const bool verbose = g_LogLevel.load(std::memory_order_relaxed) < 2;
    if (verbose) Log(LogOutPipe(), kLevelInfo, "Compiling shader \"", program->m_name, "\"...");
    Ptr<ShaderProgramHandle> made(NewCounted<ShaderHandleOpenGL>(m_serial, BuildProgram(sources)));
    program->SetHandle(made.Get());
    handle = static_cast<ShaderHandleOpenGL*>(made.Get());
    if (verbose) Log(LogOutPipe(), kLevelInfo, "Compiling shader \"", program->m_name, "\" done.");
  }
  // A program that did not build leaves everything as it was: the shader is drawn by its fixed-function
  // passes instead, as if it had no program (its failure was reported once, when it was built).
  if (!Linked(handle->Program())) return 0;
  m_passState.Clear();
  if (ShaderPhong_I* surface = As<ShaderPhong_I>(s->m_surface.Get())) {
    if (auto* color = As<ShaderTexture_I>(surface->m_color.Get())) {
      m_passState.Words[ShaderPassState::kTexCoordStream0] =
          VertexUsageWord(kVertexUsageTexCoords, uint32_t(color->m_texCoordSource));
      SetTexture(0, color->m_texture.Get());
      gl.glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    }
    gl.glEnable(GL_LIGHTING);
    if (auto* material = As<RenderMaterial_I>(surface->m_material.Get())) {
      gl.glEnable(GL_COLOR_MATERIAL);
      ApplyMaterial(*material, surface, material->m_emissionColor);
    } else {
      // The program's colour and material inputs, as the fixed-function base pass lights such a surface.
      LightWithDefaultMaterial();
    }
  }
  UseProgram(handle->Program());
  SetUniform(handle->Program(), "colorTex", 0);
  SetUniform(handle->Program(), "lightTex", 1);
  return 1;
}

bool RenderEngineOpenGL_D::Linked(uint32_t program) const {
  GLint linked = 0;
  if (program != 0 && m_ext.glGetObjectParameterivARB)
    m_ext.glGetObjectParameterivARB(program, GL_OBJECT_LINK_STATUS_ARB, &linked);
  return linked != 0;
}

bool RenderEngineOpenGL_D::UseProgram(uint32_t program) {
  // The driver refuses to bind a program that did not link, with an error on every frame; its failure was
  // logged once when it was built, so the bind (and the uniforms, which need a bound program) are left out.
  if (!Linked(program)) return false;
  m_ext.glUseProgramObjectARB(program);
  return true;
}

void RenderEngineOpenGL_D::SetUniform(uint32_t program, const char* name, int32_t value) {
  if (m_ext.glGetUniformLocationARB && m_ext.glUniform1iARB)
    m_ext.glUniform1iARB(m_ext.glGetUniformLocationARB(program, name), value);
}

}  // namespace PM
