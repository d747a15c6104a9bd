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
#include "storage/Storage.h"

namespace PM {

namespace {

// Source files beyond this are refused rather than read byte by byte without end.
constexpr int kMaxShaderSource = 1 << 24;
// Info logs are fetched up to this length.
constexpr GLint kMaxInfoLog = 1 << 20;

bool Present(const ScriptObject* o) { return o && !IsNilObject(o); }

template <class T>
T* As(ScriptObject* o) {
  return Present(o) && o->IsA(T::kClassId) ? static_cast<T*>(o) : nullptr;
}

// Logs the headline, then the driver's text of the object between "----" lines.
void ReportInfoLog(const OpenGLEXT& ext, GLhandleARB object, const char* headline) {
  GLint length = 16384;
  ext.glGetObjectParameterivARB(object, GL_OBJECT_INFO_LOG_LENGTH_ARB, &length);
  length = std::clamp(length, GLint(1), kMaxInfoLog);
  std::string text(size_t(length), '\0');
  GLsizei written = 0;
  ext.glGetInfoLogARB(object, length, &written, text.data());
  text.resize(size_t(std::clamp(written, GLsizei(0), length)));
  Log(LogOutPipe(), kLevelError, headline);
  Log(LogOutPipe(), kLevelError, "----");
  Log(LogOutPipe(), kLevelError, text.c_str());
  Log(LogOutPipe(), kLevelError, "----");
}

void CompileObject(const OpenGLEXT& ext, GLhandleARB object, const String& source, const char* failure) {
  const GLcharARB* text = source.CStr();
  const GLint length = source.Length();
  ext.glShaderSourceARB(object, 1, &text, &length);
  ext.glCompileShaderARB(object);
  GLint status = 0;
  ext.glGetObjectParameterivARB(object, GL_OBJECT_COMPILE_STATUS_ARB, &status);
  if (status == 0) ReportInfoLog(ext, object, failure);
}

}  // namespace

String RenderEngineOpenGL_D::ReadShaderSource(const String& path) {
  StreamPipeRef pipe(Storage::OpenStreamSimple(path, Storage::kRead));
  std::string text;
  for (int c = pipe->ReadByte(); c > 0; c = pipe->ReadByte()) {
    if (int(text.size()) >= kMaxShaderSource) {
      Log(LogOutPipe(), kLevelError, "Shader source \"", path, "\" is larger than ", kMaxShaderSource, " bytes.");
      return String();
    }
    text.push_back(char(c));
  }
  return String(std::string_view(text));
}

uint32_t RenderEngineOpenGL_D::BuildProgram(const String& vertexSource, const String& fragmentSource) {
  const OpenGLEXT& e = m_ext;
  if (!e.glCreateProgramObjectARB || !e.glCreateShaderObjectARB) return 0;
  const GLhandleARB program = e.glCreateProgramObjectARB();
  const GLhandleARB vertex = e.glCreateShaderObjectARB(GL_VERTEX_SHADER_ARB);
  const GLhandleARB fragment = e.glCreateShaderObjectARB(GL_FRAGMENT_SHADER_ARB);
  CompileObject(e, vertex, vertexSource, "Vertexshader failed to compile.");
  CompileObject(e, fragment, fragmentSource, "Fragmentshader failed to compile.");
  e.glAttachObjectARB(program, vertex);
  e.glAttachObjectARB(program, fragment);
  e.glLinkProgramARB(program);
  GLint linked = 0;
  e.glGetObjectParameterivARB(program, GL_OBJECT_LINK_STATUS_ARB, &linked);
  if (linked == 0) ReportInfoLog(e, program, "Shader failed to link.");
  // Attached objects live on with the program.
  e.glDeleteObjectARB(vertex);
  e.glDeleteObjectARB(fragment);
  return program;
}

uint32_t RenderEngineOpenGL_D::QuickCompileShaderARB(const String& directory, const String& vertexName,
                                                     const String& fragmentName) {
  Log(LogOutPipe(), kLevelDebug, "QuickCompileShaderARB");
  auto source = [&](const String& name, const char* suffix) {
    if (name.IsEmpty()) return String();
    std::string path(directory.View());
    path.append(name.View()).append(suffix);
    return ReadShaderSource(String(std::string_view(path)));
  };
  const uint32_t program = BuildProgram(source(vertexName, ".vs"), source(fragmentName, ".fs"));
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
    String sources[2];
    const Obj<FileObject_I>* files[2] = {&program->m_vertexShaderFile, &program->m_fragmentShaderFile};
    const char* suffixes[2] = {".vs", ".fs"};
    for (int i = 0; i < 2; ++i) {
      String resolved;
      if (!Present(files[i]->Get()) || ResolveImagePath(files[i]->Get(), m_textureSettings.ImagePath, resolved) != 0)
        continue;
      std::string path(resolved.View());
      sources[i] = ReadShaderSource(String(std::string_view(path.append(suffixes[i]))));
    }
    const bool verbose = g_LogLevel.load(std::memory_order_relaxed) < 2;
    if (verbose) Log(LogOutPipe(), kLevelInfo, "Compiling shader \"", program->m_name, "\"...");
    Ptr<ShaderProgramHandle> made(NewCounted<ShaderHandleOpenGL>(m_serial, BuildProgram(sources[0], sources[1])));
    program->SetHandle(made.Get());
    handle = static_cast<ShaderHandleOpenGL*>(made.Get());
    if (verbose) Log(LogOutPipe(), kLevelInfo, "Compiling shader \"", program->m_name, "\" done.");
  }
  m_passState.Clear();
  if (ShaderPhong_I* surface = As<ShaderPhong_I>(s->m_surface.Get())) {
    if (auto* color = As<ShaderTexture_I>(surface->m_color.Get())) {
      m_passState.Words[ShaderPassState::kTexCoordStream0] = 0x10000u + uint32_t(color->m_texCoordSource);
      SetTexture(0, color->m_texture.Get());
      gl.glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    }
    gl.glEnable(GL_LIGHTING);
    if (auto* material = As<RenderMaterial_I>(surface->m_material.Get())) {
      gl.glEnable(GL_COLOR_MATERIAL);
      ApplyMaterial(*material, surface, material->m_emissionColor);
    }
  }
  if (UseProgram(handle->Program())) {
    SetUniform(handle->Program(), "colorTex", 0);
    SetUniform(handle->Program(), "lightTex", 1);
  }
  return 1;
}

bool RenderEngineOpenGL_D::UseProgram(uint32_t program) {
  // The driver refuses to bind a program that did not link, with an error on every frame; its failure was
  // logged once when it was built, so the bind (and the uniforms, which need a bound program) are left out.
  GLint linked = 0;
  if (program != 0 && m_ext.glGetObjectParameterivARB)
    m_ext.glGetObjectParameterivARB(program, GL_OBJECT_LINK_STATUS_ARB, &linked);
  if (linked == 0) return false;
  m_ext.glUseProgramObjectARB(program);
  return true;
}

void RenderEngineOpenGL_D::SetUniform(uint32_t program, const char* name, int32_t value) {
  if (m_ext.glGetUniformLocationARB && m_ext.glUniform1iARB)
    m_ext.glUniform1iARB(m_ext.glGetUniformLocationARB(program, name), value);
}

}  // namespace PM
