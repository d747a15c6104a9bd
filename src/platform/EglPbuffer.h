// An OpenGL drawing surface without a display: Mesa's EGL on its surfaceless platform, a pbuffer of a
// fixed size with a desktop OpenGL compatibility context. libEGL.so.1 is loaded at run time, as the OpenGL
// library is; both dispatch through the same vendor-neutral layer, so the OpenGL functions the back end
// loaded draw into the pbuffer as they draw into a GLX window.
#pragma once

#include <cstdint>
#include <string>

namespace PM {

class EglPbuffer {
 public:
  // The buffer sizes asked for: alpha 0 or 8, and at least these depth and stencil bits; colour is 8 bits
  // a channel when such a config exists.
  struct Format {
    int32_t alpha = 0, depth = 24, stencil = 8;
  };
  // What the chosen config holds.
  struct Chosen {
    int32_t red = 0, green = 0, blue = 0, alpha = 0, depth = 0, stencil = 0;
  };

  EglPbuffer() = default;
  EglPbuffer(const EglPbuffer&) = delete;
  EglPbuffer& operator=(const EglPbuffer&) = delete;
  ~EglPbuffer() { Destroy(); }

  // Makes the surface and its context (not yet current). False with `failure` naming the step and EGL's
  // error when EGL is missing or refuses; nothing is left made then.
  bool Create(int32_t width, int32_t height, const Format& wanted, std::string* failure);
  // Makes the context current on the surface for the calling thread; Release lets go of it.
  bool MakeCurrent();
  bool Release();
  void Destroy();

  // The EGL context (an opaque handle, null before Create), the config's buffers and the surface's size.
  void* Context() const { return m_context; }
  const Chosen& Buffers() const { return m_chosen; }
  int32_t Width() const { return m_width; }
  int32_t Height() const { return m_height; }

 private:
  void* m_surface = nullptr;
  void* m_context = nullptr;
  Chosen m_chosen;
  int32_t m_width = 0, m_height = 0;
};

}  // namespace PM
