/* A stand-in OpenGL library for tests: it records each call with its arguments, serves scripted strings
   and a queue of errors, and its glXGetProcAddressARB knows only its own names. Tests drive it through
   the RecGL_* functions, found with dlsym on the same file. */
#include <pthread.h>
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

typedef unsigned int GLenum;
typedef unsigned char GLboolean;
typedef int GLint;
typedef int GLsizei;
typedef unsigned int GLuint;
typedef float GLfloat;
typedef void (*Proc)(void);

#define EXPORT __attribute__((visibility("default")))

static pthread_mutex_t g_lock = PTHREAD_MUTEX_INITIALIZER;
static char* g_log;
static size_t g_logLength, g_logCapacity;
static char g_strings[5][4096]; /* vendor, renderer, version, extensions, GLX extensions */
static unsigned g_errors[256];
static int g_errorHead, g_errorCount;
static char g_hidden[16][64];
static int g_hiddenCount;
static unsigned g_swapInterval, g_swapIntervalLimit = ~0u; /* the interval kept, and the most it keeps */

static void Record(const char* format, ...) {
  char line[512];
  va_list args;
  va_start(args, format);
  int n = vsnprintf(line, sizeof line, format, args);
  va_end(args);
  if (n < 0) return;
  if ((size_t)n >= sizeof line) n = sizeof line - 1;
  pthread_mutex_lock(&g_lock);
  if (g_logLength + (size_t)n + 2 > g_logCapacity) {
    size_t capacity = (g_logCapacity + (size_t)n + 2) * 2;
    char* grown = realloc(g_log, capacity);
    if (!grown) {
      pthread_mutex_unlock(&g_lock);
      return;
    }
    g_log = grown;
    g_logCapacity = capacity;
  }
  memcpy(g_log + g_logLength, line, (size_t)n);
  g_logLength += (size_t)n;
  g_log[g_logLength++] = '\n';
  g_log[g_logLength] = 0;
  pthread_mutex_unlock(&g_lock);
}

/* ---- test control ---- */

static int StringIndex(const char* which) {
  static const char* const kNames[] = {"vendor", "renderer", "version", "extensions", "glx"};
  for (int i = 0; i < 5; ++i)
    if (strcmp(which, kNames[i]) == 0) return i;
  return -1;
}

EXPORT void RecGL_SetString(const char* which, const char* value) {
  int i = StringIndex(which);
  if (i < 0) return;
  pthread_mutex_lock(&g_lock);
  snprintf(g_strings[i], sizeof g_strings[i], "%s", value ? value : "");
  pthread_mutex_unlock(&g_lock);
}

EXPORT void RecGL_QueueError(unsigned code) {
  pthread_mutex_lock(&g_lock);
  if (g_errorCount < 256) g_errors[(g_errorHead + g_errorCount++) % 256] = code;
  pthread_mutex_unlock(&g_lock);
}

EXPORT int RecGL_QueuedErrors(void) {
  pthread_mutex_lock(&g_lock);
  int n = g_errorCount;
  pthread_mutex_unlock(&g_lock);
  return n;
}

/* Copies the call log (NUL-terminated, cut to the capacity) and returns its full length. */
EXPORT size_t RecGL_ReadLog(char* buffer, size_t capacity) {
  pthread_mutex_lock(&g_lock);
  size_t n = g_logLength;
  if (buffer && capacity) {
    size_t k = n < capacity - 1 ? n : capacity - 1;
    if (k) memcpy(buffer, g_log, k);
    buffer[k] = 0;
  }
  pthread_mutex_unlock(&g_lock);
  return n;
}

/* glXGetProcAddressARB answers null for a hidden name. */
EXPORT void RecGL_Hide(const char* name) {
  pthread_mutex_lock(&g_lock);
  if (g_hiddenCount < 16) snprintf(g_hidden[g_hiddenCount++], sizeof g_hidden[0], "%s", name);
  pthread_mutex_unlock(&g_lock);
}

/* The swap interval read back is the one set, cut to `limit`, as a driver that caps it answers. */
EXPORT void RecGL_LimitSwapInterval(unsigned limit) {
  pthread_mutex_lock(&g_lock);
  g_swapIntervalLimit = limit;
  pthread_mutex_unlock(&g_lock);
}

EXPORT void RecGL_Reset(void) {
  pthread_mutex_lock(&g_lock);
  g_logLength = 0;
  if (g_log) g_log[0] = 0;
  g_errorHead = g_errorCount = 0;
  g_hiddenCount = 0;
  g_swapInterval = 0;
  g_swapIntervalLimit = ~0u;
  snprintf(g_strings[0], sizeof g_strings[0], "Recording");
  snprintf(g_strings[1], sizeof g_strings[1], "Stand-in");
  snprintf(g_strings[2], sizeof g_strings[2], "1.1");
  g_strings[3][0] = g_strings[4][0] = 0;
  pthread_mutex_unlock(&g_lock);
}

__attribute__((constructor)) static void Start(void) { RecGL_Reset(); }
__attribute__((destructor)) static void Stop(void) { free(g_log); }

/* ---- OpenGL ---- */

EXPORT void glEnable(GLenum cap) { Record("glEnable(0x%04X)", cap); }
EXPORT void glDisable(GLenum cap) { Record("glDisable(0x%04X)", cap); }
EXPORT GLenum glGetError(void) {
  pthread_mutex_lock(&g_lock);
  GLenum e = 0;
  if (g_errorCount > 0) {
    e = g_errors[g_errorHead];
    g_errorHead = (g_errorHead + 1) % 256;
    --g_errorCount;
  }
  pthread_mutex_unlock(&g_lock);
  return e;
}
EXPORT const unsigned char* glGetString(GLenum name) {
  int i = name == 0x1F00 ? 0 : name == 0x1F01 ? 1 : name == 0x1F02 ? 2 : name == 0x1F03 ? 3 : -1;
  return i < 0 ? NULL : (const unsigned char*)g_strings[i];
}
EXPORT void glMaterialfv(GLenum face, GLenum pname, const GLfloat* v) {
  Record("glMaterialfv(0x%04X, 0x%04X, %g %g %g %g)", face, pname, v[0], v[1], v[2], v[3]);
}
EXPORT void glMaterialf(GLenum face, GLenum pname, GLfloat v) {
  Record("glMaterialf(0x%04X, 0x%04X, %g)", face, pname, v);
}
EXPORT void glAlphaFunc(GLenum func, GLfloat ref) { Record("glAlphaFunc(0x%04X, %g)", func, ref); }
EXPORT void glDepthFunc(GLenum func) { Record("glDepthFunc(0x%04X)", func); }
EXPORT void glDepthMask(GLboolean flag) { Record("glDepthMask(%d)", flag); }
EXPORT void glBlendFunc(GLenum s, GLenum d) { Record("glBlendFunc(0x%04X, 0x%04X)", s, d); }
EXPORT void glCullFace(GLenum mode) { Record("glCullFace(0x%04X)", mode); }
EXPORT void glPolygonMode(GLenum face, GLenum mode) { Record("glPolygonMode(0x%04X, 0x%04X)", face, mode); }
EXPORT void glLineWidth(GLfloat w) { Record("glLineWidth(%g)", w); }
EXPORT void glPolygonOffset(GLfloat f, GLfloat u) { Record("glPolygonOffset(%g, %g)", f, u); }
EXPORT void glTexGeni(GLenum coord, GLenum pname, GLint v) {
  Record("glTexGeni(0x%04X, 0x%04X, 0x%04X)", coord, pname, v);
}
EXPORT void glTexEnvi(GLenum target, GLenum pname, GLint v) {
  Record("glTexEnvi(0x%04X, 0x%04X, 0x%04X)", target, pname, v);
}

/* Reached only through glXGetProcAddressARB, as a driver's extension entry points are. */
static void ActiveTexture(GLenum unit) { Record("glActiveTextureARB(0x%04X)", unit); }
static void ClientActiveTexture(GLenum unit) { Record("glClientActiveTextureARB(0x%04X)", unit); }
static void MultiTexCoord2f(GLenum unit, GLfloat s, GLfloat t) {
  Record("glMultiTexCoord2f(0x%04X, %g, %g)", unit, s, t);
}
static void DrawRangeElements(GLenum mode, GLuint a, GLuint b, GLsizei n, GLenum type, const void* p) {
  (void)p;
  Record("glDrawRangeElementsEXT(0x%04X, %u, %u, %d, 0x%04X)", mode, a, b, n, type);
}
static void LockArrays(GLint first, GLsizei count) { Record("glLockArraysEXT(%d, %d)", first, count); }
static void UnlockArrays(void) { Record("glUnlockArraysEXT()"); }
static void UseProgram(GLuint program) { Record("glUseProgramObjectARB(%u)", program); }
static void SwapInterval(void* display, unsigned long drawable, int interval) {
  (void)display;
  Record("glXSwapIntervalEXT(%lu, %d)", drawable, interval);
  pthread_mutex_lock(&g_lock);
  g_swapInterval = (unsigned)interval < g_swapIntervalLimit ? (unsigned)interval : g_swapIntervalLimit;
  pthread_mutex_unlock(&g_lock);
}
static void QueryDrawable(void* display, unsigned long drawable, int attribute, unsigned* value) {
  (void)display;
  Record("glXQueryDrawable(%lu, 0x%04X)", drawable, attribute);
  pthread_mutex_lock(&g_lock);
  if (attribute == 0x20F1) *value = g_swapInterval; /* GLX_SWAP_INTERVAL_EXT */
  pthread_mutex_unlock(&g_lock);
}

/* ---- GLX ---- */

EXPORT void* glXCreateNewContext(void* display, void* config, int type, void* share, int direct) {
  (void)display;
  (void)config;
  (void)share;
  Record("glXCreateNewContext(0x%04X, %d)", type, direct);
  return NULL;
}
#ifndef RECGL_WITHOUT_MAKE_CURRENT
EXPORT int glXMakeCurrent(void* display, unsigned long drawable, void* context) {
  (void)display;
  (void)context;
  Record("glXMakeCurrent(%lu)", drawable);
  return 1;
}
#endif
EXPORT void glXDestroyContext(void* display, void* context) {
  (void)display;
  (void)context;
  Record("glXDestroyContext()");
}
EXPORT const char* glXQueryExtensionsString(void* display, int screen) {
  (void)display;
  Record("glXQueryExtensionsString(%d)", screen);
  return g_strings[4];
}

EXPORT Proc glXGetProcAddressARB(const unsigned char* name);

static const struct {
  const char* name;
  Proc proc;
} kOwnNames[] = {
    {"glEnable", (Proc)glEnable},
    {"glDisable", (Proc)glDisable},
    {"glGetError", (Proc)glGetError},
    {"glGetString", (Proc)glGetString},
    {"glMaterialfv", (Proc)glMaterialfv},
    {"glMaterialf", (Proc)glMaterialf},
    {"glAlphaFunc", (Proc)glAlphaFunc},
    {"glDepthFunc", (Proc)glDepthFunc},
    {"glDepthMask", (Proc)glDepthMask},
    {"glBlendFunc", (Proc)glBlendFunc},
    {"glCullFace", (Proc)glCullFace},
    {"glPolygonMode", (Proc)glPolygonMode},
    {"glLineWidth", (Proc)glLineWidth},
    {"glPolygonOffset", (Proc)glPolygonOffset},
    {"glTexGeni", (Proc)glTexGeni},
    {"glTexEnvi", (Proc)glTexEnvi},
    {"glActiveTextureARB", (Proc)ActiveTexture},
    {"glClientActiveTextureARB", (Proc)ClientActiveTexture},
    {"glMultiTexCoord2f", (Proc)MultiTexCoord2f},
    {"glDrawRangeElementsEXT", (Proc)DrawRangeElements},
    {"glLockArraysEXT", (Proc)LockArrays},
    {"glUnlockArraysEXT", (Proc)UnlockArrays},
    {"glUseProgramObjectARB", (Proc)UseProgram},
    {"glXSwapIntervalEXT", (Proc)SwapInterval},
    {"glXQueryDrawable", (Proc)QueryDrawable},
    {"glXCreateNewContext", (Proc)glXCreateNewContext},
    {"glXDestroyContext", (Proc)glXDestroyContext},
    {"glXQueryExtensionsString", (Proc)glXQueryExtensionsString},
    {"glXGetProcAddressARB", (Proc)glXGetProcAddressARB},
};

EXPORT Proc glXGetProcAddressARB(const unsigned char* name) {
  const char* n = (const char*)name;
  pthread_mutex_lock(&g_lock);
  int hidden = 0;
  for (int i = 0; i < g_hiddenCount; ++i) hidden |= strcmp(g_hidden[i], n) == 0;
  pthread_mutex_unlock(&g_lock);
  if (hidden) return NULL;
  for (size_t i = 0; i < sizeof kOwnNames / sizeof kOwnNames[0]; ++i)
    if (strcmp(kOwnNames[i].name, n) == 0) return kOwnNames[i].proc;
  return NULL;
}
