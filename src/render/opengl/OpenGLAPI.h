// The process-wide table of OpenGL 1.1 and GLX entry points that the OpenGL back end calls through.
// The system's OpenGL library is loaded at run time (nothing links it); the table is counted twice,
// once for the loaded library (LoadDLL/UnloadDLL) and once for the resolved entries (InitAPI/ExitAPI),
// and is shared by every OpenGL render engine of the process.
#pragma once

#include <GL/gl.h>

#include <cstdint>

#include "core/ResultCode.h"
#include "platform/Glx.h"

namespace PM {

using OpenGLProc = void (*)();

// The entries in table order: name, result, parameters. The nine window-system slots hold their GLX
// counterparts; a slot still named wgl* has none and stays null.
#define PM_OPENGL_API_ENTRIES(E)                                                                         \
  E(glDisable, void, (GLenum))                                                                           \
  E(glEnable, void, (GLenum))                                                                            \
  E(glDisableClientState, void, (GLenum))                                                                \
  E(glEnableClientState, void, (GLenum))                                                                 \
  E(glVertexPointer, void, (GLint, GLenum, GLsizei, const void*))                                        \
  E(glNormalPointer, void, (GLenum, GLsizei, const void*))                                               \
  E(glColorPointer, void, (GLint, GLenum, GLsizei, const void*))                                         \
  E(glTexCoordPointer, void, (GLint, GLenum, GLsizei, const void*))                                      \
  E(glBegin, void, (GLenum))                                                                             \
  E(glEnd, void, ())                                                                                     \
  E(glDrawArrays, void, (GLenum, GLint, GLsizei))                                                        \
  E(glArrayElement, void, (GLint))                                                                       \
  E(glDrawElements, void, (GLenum, GLsizei, GLenum, const void*))                                        \
  E(glAlphaFunc, void, (GLenum, GLclampf))                                                               \
  E(glAreTexturesResident, GLboolean, (GLsizei, const GLuint*, GLboolean*))                              \
  E(glBindTexture, void, (GLenum, GLuint))                                                               \
  E(glBlendFunc, void, (GLenum, GLenum))                                                                 \
  E(glClear, void, (GLbitfield))                                                                         \
  E(glClearColor, void, (GLclampf, GLclampf, GLclampf, GLclampf))                                        \
  E(glClearDepth, void, (GLclampd))                                                                      \
  E(glClearStencil, void, (GLint))                                                                       \
  E(glColor4f, void, (GLfloat, GLfloat, GLfloat, GLfloat))                                               \
  E(glColor4fv, void, (const GLfloat*))                                                                  \
  E(glColorMask, void, (GLboolean, GLboolean, GLboolean, GLboolean))                                     \
  E(glCopyTexImage2D, void, (GLenum, GLint, GLenum, GLint, GLint, GLsizei, GLsizei, GLint))              \
  E(glCopyTexSubImage2D, void, (GLenum, GLint, GLint, GLint, GLint, GLint, GLsizei, GLsizei))            \
  E(glCullFace, void, (GLenum))                                                                          \
  E(glDeleteTextures, void, (GLsizei, const GLuint*))                                                    \
  E(glDepthFunc, void, (GLenum))                                                                         \
  E(glDepthMask, void, (GLboolean))                                                                      \
  E(glFinish, void, ())                                                                                  \
  E(glFlush, void, ())                                                                                   \
  E(glFogf, void, (GLenum, GLfloat))                                                                     \
  E(glFogfv, void, (GLenum, const GLfloat*))                                                             \
  E(glFogi, void, (GLenum, GLint))                                                                       \
  E(glGenTextures, void, (GLsizei, GLuint*))                                                             \
  E(glGetBooleanv, void, (GLenum, GLboolean*))                                                           \
  E(glGetError, GLenum, ())                                                                              \
  E(glGetFloatv, void, (GLenum, GLfloat*))                                                               \
  E(glGetIntegerv, void, (GLenum, GLint*))                                                               \
  E(glGetString, const GLubyte*, (GLenum))                                                               \
  E(glGetTexLevelParameteriv, void, (GLenum, GLint, GLenum, GLint*))                                     \
  E(glGetTexParameteriv, void, (GLenum, GLenum, GLint*))                                                 \
  E(glHint, void, (GLenum, GLenum))                                                                      \
  E(glLightModelfv, void, (GLenum, const GLfloat*))                                                      \
  E(glLightModeli, void, (GLenum, GLint))                                                                \
  E(glLightfv, void, (GLenum, GLenum, const GLfloat*))                                                   \
  E(glLineWidth, void, (GLfloat))                                                                        \
  E(glLoadIdentity, void, ())                                                                            \
  E(glLoadMatrixf, void, (const GLfloat*))                                                               \
  E(glMaterialf, void, (GLenum, GLenum, GLfloat))                                                        \
  E(glMaterialfv, void, (GLenum, GLenum, const GLfloat*))                                                \
  E(glMatrixMode, void, (GLenum))                                                                        \
  E(glNormal3f, void, (GLfloat, GLfloat, GLfloat))                                                       \
  E(glNormal3fv, void, (const GLfloat*))                                                                 \
  E(glPixelStoref, void, (GLenum, GLfloat))                                                              \
  E(glPixelStorei, void, (GLenum, GLint))                                                                \
  E(glPolygonMode, void, (GLenum, GLenum))                                                               \
  E(glPolygonOffset, void, (GLfloat, GLfloat))                                                           \
  E(glPrioritizeTextures, void, (GLsizei, const GLuint*, const GLclampf*))                               \
  E(glReadBuffer, void, (GLenum))                                                                        \
  E(glReadPixels, void, (GLint, GLint, GLsizei, GLsizei, GLenum, GLenum, void*))                         \
  E(glScalef, void, (GLfloat, GLfloat, GLfloat))                                                         \
  E(glScissor, void, (GLint, GLint, GLsizei, GLsizei))                                                   \
  E(glStencilFunc, void, (GLenum, GLint, GLuint))                                                        \
  E(glStencilMask, void, (GLuint))                                                                       \
  E(glStencilOp, void, (GLenum, GLenum, GLenum))                                                         \
  E(glTexCoord2f, void, (GLfloat, GLfloat))                                                              \
  E(glTexCoord2fv, void, (const GLfloat*))                                                               \
  E(glTexEnvf, void, (GLenum, GLenum, GLfloat))                                                          \
  E(glTexEnvi, void, (GLenum, GLenum, GLint))                                                            \
  E(glTexGeni, void, (GLenum, GLenum, GLint))                                                            \
  E(glTexImage2D, void, (GLenum, GLint, GLint, GLsizei, GLsizei, GLint, GLenum, GLenum, const void*))    \
  E(glTexParameterfv, void, (GLenum, GLenum, const GLfloat*))                                            \
  E(glTexParameteri, void, (GLenum, GLenum, GLint))                                                      \
  E(glTexSubImage2D, void, (GLenum, GLint, GLint, GLint, GLsizei, GLsizei, GLenum, GLenum, const void*)) \
  E(glTranslatef, void, (GLfloat, GLfloat, GLfloat))                                                     \
  E(glVertex2f, void, (GLfloat, GLfloat))                                                                \
  E(glVertex3f, void, (GLfloat, GLfloat, GLfloat))                                                       \
  E(glVertex3fv, void, (const GLfloat*))                                                                 \
  E(glViewport, void, (GLint, GLint, GLsizei, GLsizei))                                                  \
  E(glXCopyContext, void, (Display*, GLXContext, GLXContext, unsigned long))                             \
  E(glXCreateNewContext, GLXContext, (Display*, GLXFBConfig, int, GLXContext, int))                      \
  E(wglCreateLayerContext, void, ())                                                                     \
  E(glXDestroyContext, void, (Display*, GLXContext))                                                     \
  E(glXGetCurrentContext, GLXContext, ())                                                                \
  E(glXGetCurrentDrawable, GlxDrawable, ())                                                              \
  E(glXGetProcAddressARB, OpenGLProc, (const GLubyte*))                                                  \
  E(glXMakeCurrent, int, (Display*, GlxDrawable, GLXContext))                                            \
  E(wglShareLists, void, ())

struct OpenGLAPI {
  ModuleHandle module = nullptr;
  int32_t loadCount = 0;
  int32_t apiCount = 0;
  // glDisable and glEnable: glSwitch[flag](capability) sets a capability to a Boolean without a branch.
  void (*glSwitch[2])(GLenum) = {nullptr, nullptr};
// `params` is a parenthesised list already.
#define PM_OPENGL_API_FIELD(name, result, params) result(*name) params = nullptr;  // NOLINT(bugprone-macro-parentheses)
  PM_OPENGL_API_ENTRIES(PM_OPENGL_API_FIELD)
#undef PM_OPENGL_API_FIELD

  static constexpr int kEntryCount = 90;

  // Loads the library or adds a load reference: 0, ENotFound when the file cannot be loaded, or
  // EUnimplemented when one of the five entries everything needs is missing.
  ResultCode LoadDLL();
  // Drops a load reference; the last one clears the table (the library stays mapped). EFail when not
  // loaded or while references remain.
  ResultCode UnloadDLL();
  // Resolves the table on the first reference; ENotFound without a loaded library (the reference is
  // still counted, so ExitAPI balances it).
  ResultCode InitAPI();
  // Drops an API reference; EOverflow when there is none.
  ResultCode ExitAPI();

  // An entry point by name: the library's export, else glXGetProcAddressARB. Null when not loaded.
  OpenGLProc GetProcAddress(const char* name) const;
  // Only glXGetProcAddressARB (which answers any name: trust the result only for a listed extension).
  OpenGLProc GetWGLProcAddress(const char* name) const;
  // Logs `code` (just read from glGetError) after the labelled step, then drains further errors.
  void CheckError(GLenum code, const char* label) const;

  // The one table of the process.
  static OpenGLAPI& Instance();
  // The library file LoadDLL opens ("libGL.so.1"); tests name a stand-in. Null restores the default.
  static void SetLibraryFile(const char* fileName);
  static const char* LibraryFile();
  // The entry names in table order, and an entry by its index.
  static const char* const* EntryNames();
  OpenGLProc Entry(int index) const;

 private:
  OpenGLProc Resolve(const char* name) const;
  void SetEntry(int index, OpenGLProc proc);
};

}  // namespace PM
