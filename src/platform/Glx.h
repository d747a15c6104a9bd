// The GLX layer the OpenGL back end sets its window up with: config choice, a compatibility context,
// make current, swap and the GLX extension string. Its functions come from the OpenGL library the back
// end loaded at run time (nothing links libGL); X errors raised on the way become failures through the
// display's error handler (the thread's last error), never Xlib's default handler, which ends the process.
#pragma once

#include <cstdint>

#include "platform/ModuleLoader.h"

// The same opaque types <GL/glx.h> declares, without pulling Xlib's macros into every includer.
using Display = struct _XDisplay;
typedef struct __GLXcontextRec* GLXContext;
typedef struct __GLXFBConfigRec* GLXFBConfig;

namespace PM {

using GlxDrawable = unsigned long;  // an X window id

struct GlxFunctions {
  GLXFBConfig* (*glXChooseFBConfig)(Display*, int, const int*, int*) = nullptr;
  int (*glXGetFBConfigAttrib)(Display*, GLXFBConfig, int, int*) = nullptr;
  GLXContext (*glXCreateNewContext)(Display*, GLXFBConfig, int, GLXContext, int) = nullptr;
  void (*glXDestroyContext)(Display*, GLXContext) = nullptr;
  int (*glXMakeCurrent)(Display*, GlxDrawable, GLXContext) = nullptr;
  void (*glXSwapBuffers)(Display*, GlxDrawable) = nullptr;
  const char* (*glXQueryExtensionsString)(Display*, int) = nullptr;
};

// Looks the GLX functions up among the module's exports. False when one is missing (the rest are set).
bool ResolveGlx(ModuleHandle module, GlxFunctions* out);

// A frame-buffer config and the attributes it was chosen by.
struct GlxConfig {
  GLXFBConfig config = nullptr;
  unsigned long visualId = 0;
  int red = 0, green = 0, blue = 0, alpha = 0;
  int depth = 0, stencil = 0, samples = 0;
  bool doubleBuffered = false;
};

class Glx {
 public:
  // The module's export of that name, or null. Quiet: OpenGL libraries lack entry points routinely.
  static void* Export(ModuleHandle module, const char* name);
  // A double-buffered RGB(A) 8-bit window config with 24-bit depth and 8-bit stencil, without
  // multisampling when one exists. With a visual id, only a config of that visual (the window's) is
  // taken. False (last error set) when none fits or X refused the query.
  static bool ChooseConfig(const GlxFunctions& f, Display* display, int screen, unsigned long visualId, GlxConfig* out);
  // A direct rendering context of the config (a compatibility context: the fixed-function pipeline
  // stays). Null (last error set) on failure.
  static GLXContext CreateContext(const GlxFunctions& f, Display* display, const GlxConfig& config);
  static void DestroyContext(const GlxFunctions& f, Display* display, GLXContext context);
  // Makes the context current on the drawable; 0 and null release the calling thread's context.
  static bool MakeCurrent(const GlxFunctions& f, Display* display, GlxDrawable drawable, GLXContext context);
  static bool SwapBuffers(const GlxFunctions& f, Display* display, GlxDrawable drawable);
  // Calls GLX_EXT_swap_control's setter and waits for the server: false (last error set) when X refused.
  static bool SwapInterval(void (*setInterval)(Display*, GlxDrawable, int), Display* display, GlxDrawable drawable,
                           int interval);
  // Reads a drawable's swap interval back (GLX_EXT_swap_control's attribute of glXQueryDrawable) and waits
  // for the server: false (last error set) when X refused.
  static bool QuerySwapInterval(void (*query)(Display*, GlxDrawable, int, unsigned int*), Display* display,
                                GlxDrawable drawable, unsigned int* interval);
  // The screen's GLX extensions ("" when unknown).
  static const char* Extensions(const GlxFunctions& f, Display* display, int screen);
};

}  // namespace PM
