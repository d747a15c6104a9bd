#include "platform/EglPbuffer.h"

#include <EGL/egl.h>
#include <EGL/eglext.h>
#include <dlfcn.h>

#include <cstdio>
#include <mutex>

namespace PM {

namespace {

constexpr const char* kLibrary = "libEGL.so.1";

// The EGL entry points and the one surfaceless display of the process: initialised on first use and
// kept, as the OpenGL library and its drivers are, for the life of the process.
struct Egl {
  PFNEGLGETPROCADDRESSPROC getProcAddress = nullptr;
  PFNEGLGETPLATFORMDISPLAYEXTPROC getPlatformDisplay = nullptr;
  PFNEGLINITIALIZEPROC initialize = nullptr;
  PFNEGLBINDAPIPROC bindApi = nullptr;
  PFNEGLCHOOSECONFIGPROC chooseConfig = nullptr;
  PFNEGLGETCONFIGATTRIBPROC getConfigAttrib = nullptr;
  PFNEGLCREATEPBUFFERSURFACEPROC createPbuffer = nullptr;
  PFNEGLCREATECONTEXTPROC createContext = nullptr;
  PFNEGLMAKECURRENTPROC makeCurrent = nullptr;
  PFNEGLDESTROYCONTEXTPROC destroyContext = nullptr;
  PFNEGLDESTROYSURFACEPROC destroySurface = nullptr;
  PFNEGLGETERRORPROC getError = nullptr;
  EGLDisplay display = EGL_NO_DISPLAY;
  std::string failure;  // why there is no display, for every later Create
};

template <class T>
void Take(void* library, const char* name, T& slot) {
  slot = reinterpret_cast<T>(dlsym(library, name));
}

std::string ErrorText(const Egl& egl) {
  char text[32];
  std::snprintf(text, sizeof text, "EGL error 0x%04X", egl.getError ? unsigned(egl.getError()) : 0u);
  return text;
}

Egl* Load() {
  static Egl egl;
  static std::once_flag once;
  std::call_once(once, [] {
    void* library = dlopen(kLibrary, RTLD_NOW | RTLD_LOCAL);
    if (!library) {
      const char* why = dlerror();
      egl.failure = std::string("cannot load ") + kLibrary + (why ? std::string(": ") + why : std::string());
      return;
    }
    Take(library, "eglGetProcAddress", egl.getProcAddress);
    Take(library, "eglInitialize", egl.initialize);
    Take(library, "eglBindAPI", egl.bindApi);
    Take(library, "eglChooseConfig", egl.chooseConfig);
    Take(library, "eglGetConfigAttrib", egl.getConfigAttrib);
    Take(library, "eglCreatePbufferSurface", egl.createPbuffer);
    Take(library, "eglCreateContext", egl.createContext);
    Take(library, "eglMakeCurrent", egl.makeCurrent);
    Take(library, "eglDestroyContext", egl.destroyContext);
    Take(library, "eglDestroySurface", egl.destroySurface);
    Take(library, "eglGetError", egl.getError);
    if (egl.getProcAddress)
      egl.getPlatformDisplay =
          reinterpret_cast<PFNEGLGETPLATFORMDISPLAYEXTPROC>(egl.getProcAddress("eglGetPlatformDisplayEXT"));
    if (!egl.getPlatformDisplay || !egl.initialize || !egl.bindApi || !egl.chooseConfig || !egl.getConfigAttrib ||
        !egl.createPbuffer || !egl.createContext || !egl.makeCurrent || !egl.destroyContext || !egl.destroySurface ||
        !egl.getError) {
      egl.failure = std::string(kLibrary) + " lacks the surfaceless platform's entry points";
      return;
    }
    EGLDisplay display = egl.getPlatformDisplay(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
    EGLint major = 0, minor = 0;
    if (display == EGL_NO_DISPLAY || !egl.initialize(display, &major, &minor)) {
      egl.failure = "no surfaceless EGL display (" + ErrorText(egl) + ")";
      return;
    }
    egl.display = display;
  });
  return &egl;
}

}  // namespace

bool EglPbuffer::Create(int32_t width, int32_t height, const Format& wanted, std::string* failure) {
  Destroy();
  Egl& egl = *Load();
  auto fail = [&](const std::string& why) {
    if (failure) *failure = why;
    Destroy();
    return false;
  };
  if (egl.display == EGL_NO_DISPLAY) return fail(egl.failure);
  if (!egl.bindApi(EGL_OPENGL_API)) return fail("eglBindAPI(EGL_OPENGL_API): " + ErrorText(egl));
  const EGLint attributes[] = {EGL_SURFACE_TYPE,
                               EGL_PBUFFER_BIT,
                               EGL_RENDERABLE_TYPE,
                               EGL_OPENGL_BIT,
                               EGL_RED_SIZE,
                               8,
                               EGL_GREEN_SIZE,
                               8,
                               EGL_BLUE_SIZE,
                               8,
                               EGL_ALPHA_SIZE,
                               wanted.alpha,
                               EGL_DEPTH_SIZE,
                               wanted.depth,
                               EGL_STENCIL_SIZE,
                               wanted.stencil,
                               EGL_NONE};
  // EGL lists deeper colour first (10-bit before 8-bit): the first of exactly 8 bits a channel (alpha as
  // asked) is taken, which is what a window's 24-bit visual holds.
  constexpr EGLint kMaxConfigs = 256;
  EGLConfig configs[kMaxConfigs];
  EGLint count = 0;
  if (!egl.chooseConfig(egl.display, attributes, configs, kMaxConfigs, &count)) count = 0;
  EGLConfig config = nullptr;
  auto get = [&](EGLConfig c, EGLint attribute) {
    EGLint v = 0;
    egl.getConfigAttrib(egl.display, c, attribute, &v);
    return int32_t(v);
  };
  for (EGLint i = 0; i < count && !config; ++i) {
    const EGLConfig c = configs[i];
    if (get(c, EGL_RED_SIZE) == 8 && get(c, EGL_GREEN_SIZE) == 8 && get(c, EGL_BLUE_SIZE) == 8 &&
        get(c, EGL_ALPHA_SIZE) == (wanted.alpha > 0 ? 8 : 0))
      config = c;
  }
  if (!config && count > 0) config = configs[0];
  if (!config)
    return fail("eglChooseConfig: no pbuffer config with 8-bit colour, depth " + std::to_string(wanted.depth) +
                ", stencil " + std::to_string(wanted.stencil));
  m_chosen = {get(config, EGL_RED_SIZE),   get(config, EGL_GREEN_SIZE), get(config, EGL_BLUE_SIZE),
              get(config, EGL_ALPHA_SIZE), get(config, EGL_DEPTH_SIZE), get(config, EGL_STENCIL_SIZE)};
  const EGLint size[] = {EGL_WIDTH, width, EGL_HEIGHT, height, EGL_NONE};
  m_surface = egl.createPbuffer(egl.display, config, size);
  if (m_surface == EGL_NO_SURFACE)
    return fail("eglCreatePbufferSurface(" + std::to_string(width) + " x " + std::to_string(height) +
                "): " + ErrorText(egl));
  m_context = egl.createContext(egl.display, config, EGL_NO_CONTEXT, nullptr);
  if (m_context == EGL_NO_CONTEXT) return fail("eglCreateContext: " + ErrorText(egl));
  m_width = width;
  m_height = height;
  return true;
}

bool EglPbuffer::MakeCurrent() {
  Egl& egl = *Load();
  return m_context && egl.bindApi(EGL_OPENGL_API) && egl.makeCurrent(egl.display, m_surface, m_surface, m_context);
}

bool EglPbuffer::Release() {
  Egl& egl = *Load();
  return egl.display != EGL_NO_DISPLAY && egl.makeCurrent(egl.display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
}

void EglPbuffer::Destroy() {
  if (!m_context && !m_surface) return;
  Egl& egl = *Load();
  if (m_context) egl.destroyContext(egl.display, m_context);
  if (m_surface) egl.destroySurface(egl.display, m_surface);
  m_context = m_surface = nullptr;
  m_width = m_height = 0;
}

}  // namespace PM
