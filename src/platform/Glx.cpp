#include "platform/Glx.h"

#include <dlfcn.h>
#include <link.h>

#include <cstring>

#include <cerrno>

// Xlib and GLX last: their macros (None, Bool, Success) would clash with the headers above.
#include <GL/glx.h>

#include "platform/LastError.h"
#include "platform/X11Display.h"

namespace PM {

namespace {

// Runs a GLX request and waits for the server's answer: an X error it raised reaches the display's
// handler, which stores it as the thread's last error.
template <class F>
bool WithoutXError(Display* display, F&& request) {
  SetLastErrorCode(0);
  request();
  XSync(display, False);
  uint32_t code = GetLastErrorCode();
  return code < kXErrorBase || code >= kXErrorBase + 256;
}

template <class T>
bool Take(ModuleHandle module, const char* name, T& slot) {
  slot = reinterpret_cast<T>(Glx::Export(module, name));
  return slot != nullptr;
}

// Keeps the DRI drivers the context loaded mapped for the life of the process, as the OpenGL library itself
// is: closing the last display would unload them, and a window made later would load them again (and leak
// checkers could no longer name the driver that owns its process-wide allocations).
void PinDriverModules() {
  dl_iterate_phdr(
      [](dl_phdr_info* info, size_t, void*) {
        const char* name = info->dlpi_name;
        const size_t n = name ? std::strlen(name) : 0;
        if (n > 7 && std::strcmp(name + n - 7, "_dri.so") == 0) dlopen(name, RTLD_NOW | RTLD_NOLOAD | RTLD_NODELETE);
        return 0;
      },
      nullptr);
}

}  // namespace

void* Glx::Export(ModuleHandle module, const char* name) {
  if (module == nullptr || name == nullptr) return nullptr;
  return dlsym(module, name);
}

bool ResolveGlx(ModuleHandle module, GlxFunctions* out) {
  bool all = true;
  all &= Take(module, "glXChooseFBConfig", out->glXChooseFBConfig);
  all &= Take(module, "glXGetFBConfigAttrib", out->glXGetFBConfigAttrib);
  all &= Take(module, "glXCreateNewContext", out->glXCreateNewContext);
  all &= Take(module, "glXDestroyContext", out->glXDestroyContext);
  all &= Take(module, "glXMakeCurrent", out->glXMakeCurrent);
  all &= Take(module, "glXSwapBuffers", out->glXSwapBuffers);
  all &= Take(module, "glXQueryExtensionsString", out->glXQueryExtensionsString);
  return all;
}

bool Glx::ChooseConfig(const GlxFunctions& f, Display* display, int screen, unsigned long visualId, GlxConfig* out) {
  if (!display || !f.glXChooseFBConfig || !f.glXGetFBConfigAttrib) {
    SetLastErrorCode(EINVAL);
    return false;
  }
  static const int kWanted[] = {GLX_X_RENDERABLE,
                                True,
                                GLX_DRAWABLE_TYPE,
                                GLX_WINDOW_BIT,
                                GLX_RENDER_TYPE,
                                GLX_RGBA_BIT,
                                GLX_X_VISUAL_TYPE,
                                GLX_TRUE_COLOR,
                                GLX_RED_SIZE,
                                8,
                                GLX_GREEN_SIZE,
                                8,
                                GLX_BLUE_SIZE,
                                8,
                                GLX_DEPTH_SIZE,
                                24,
                                GLX_STENCIL_SIZE,
                                8,
                                GLX_DOUBLEBUFFER,
                                True,
                                None};
  GLXFBConfig* configs = nullptr;
  int count = 0;
  if (!WithoutXError(display, [&] { configs = f.glXChooseFBConfig(display, screen, kWanted, &count); }) || !configs) {
    if (configs) XFree(configs);
    if (GetLastErrorCode() == 0) SetLastErrorCode(ENOENT);
    return false;
  }
  bool found = false;
  for (int i = 0; i < count; ++i) {
    GlxConfig c;
    c.config = configs[i];
    int v = 0;
    auto get = [&](int attribute) {
      v = 0;
      f.glXGetFBConfigAttrib(display, configs[i], attribute, &v);
      return v;
    };
    c.visualId = static_cast<unsigned long>(get(GLX_VISUAL_ID));
    c.red = get(GLX_RED_SIZE);
    c.green = get(GLX_GREEN_SIZE);
    c.blue = get(GLX_BLUE_SIZE);
    c.alpha = get(GLX_ALPHA_SIZE);
    c.depth = get(GLX_DEPTH_SIZE);
    c.stencil = get(GLX_STENCIL_SIZE);
    c.samples = get(GLX_SAMPLES);
    c.doubleBuffered = get(GLX_DOUBLEBUFFER) != 0;
    if (visualId != 0 && c.visualId != visualId) continue;
    // The first fitting config wins unless a later one avoids multisampling it has.
    if (!found || (out->samples > 0 && c.samples == 0)) {
      *out = c;
      found = true;
    }
  }
  XFree(configs);
  if (!found) SetLastErrorCode(ENOENT);
  return found;
}

GLXContext Glx::CreateContext(const GlxFunctions& f, Display* display, const GlxConfig& config) {
  if (!display || !config.config || !f.glXCreateNewContext) {
    SetLastErrorCode(EINVAL);
    return nullptr;
  }
  GLXContext context = nullptr;
  bool clean = WithoutXError(
      display, [&] { context = f.glXCreateNewContext(display, config.config, GLX_RGBA_TYPE, nullptr, True); });
  if (clean && context) {
    PinDriverModules();
    return context;
  }
  if (context) DestroyContext(f, display, context);
  if (clean) SetLastErrorCode(EINVAL);
  return nullptr;
}

void Glx::DestroyContext(const GlxFunctions& f, Display* display, GLXContext context) {
  if (!display || !context || !f.glXDestroyContext) return;
  WithoutXError(display, [&] { f.glXDestroyContext(display, context); });
}

bool Glx::MakeCurrent(const GlxFunctions& f, Display* display, GlxDrawable drawable, GLXContext context) {
  if (!display || !f.glXMakeCurrent) {
    SetLastErrorCode(EINVAL);
    return false;
  }
  int made = False;
  bool clean = WithoutXError(display, [&] { made = f.glXMakeCurrent(display, drawable, context); });
  if (clean && !made) SetLastErrorCode(EINVAL);
  return clean && made;
}

bool Glx::SwapBuffers(const GlxFunctions& f, Display* display, GlxDrawable drawable) {
  if (!display || !drawable || !f.glXSwapBuffers) {
    SetLastErrorCode(EINVAL);
    return false;
  }
  // No round trip here: a frame must not wait for the server, and a late error still reaches the handler.
  f.glXSwapBuffers(display, drawable);
  return true;
}

bool Glx::SwapInterval(void (*setInterval)(Display*, GlxDrawable, int), Display* display, GlxDrawable drawable,
                       int interval) {
  if (!setInterval || !display || !drawable) {
    SetLastErrorCode(EINVAL);
    return false;
  }
  return WithoutXError(display, [&] { setInterval(display, drawable, interval); });
}

bool Glx::QuerySwapInterval(void (*query)(Display*, GlxDrawable, int, unsigned int*), Display* display,
                            GlxDrawable drawable, unsigned int* interval) {
  if (!query || !display || !drawable || !interval) {
    SetLastErrorCode(EINVAL);
    return false;
  }
  return WithoutXError(display, [&] { query(display, drawable, GLX_SWAP_INTERVAL_EXT, interval); });
}

const char* Glx::Extensions(const GlxFunctions& f, Display* display, int screen) {
  if (!display || !f.glXQueryExtensionsString) return "";
  const char* s = f.glXQueryExtensionsString(display, screen);
  return s ? s : "";
}

}  // namespace PM
