#include "render/opengl/OpenGLAPI.h"

#include <cstddef>
#include <cstring>
#include <string>

#include "core/Log.h"
#include "core/Trace.h"
#include "platform/CriticalSection.h"

namespace PM {

namespace {

constexpr const char* kDefaultLibrary = "libGL.so.1";

// Where each entry lies in the record, in table order.
constexpr size_t kEntryOffsets[] = {
#define PM_OPENGL_API_OFFSET(name, result, params) offsetof(OpenGLAPI, name),
    PM_OPENGL_API_ENTRIES(PM_OPENGL_API_OFFSET)
#undef PM_OPENGL_API_OFFSET
};
constexpr const char* kEntryNames[] = {
#define PM_OPENGL_API_NAME(name, result, params) #name,
    PM_OPENGL_API_ENTRIES(PM_OPENGL_API_NAME)
#undef PM_OPENGL_API_NAME
};
static_assert(std::size(kEntryNames) == OpenGLAPI::kEntryCount);

int IndexOf(const char* name) {
  for (int i = 0; i < OpenGLAPI::kEntryCount; ++i) {
    if (std::strcmp(kEntryNames[i], name) == 0) return i;
  }
  return -1;
}

// Entries LoadDLL makes sure of, after glXGetProcAddressARB: without them no context can exist.
constexpr const char* kCheckedEntries[] = {"glXCreateNewContext", "glXMakeCurrent", "glXDestroyContext", "glGetString"};

// One lock for loading, resolving and releasing: engines on different threads share the table.
CriticalSection& TableLock() {
  static CriticalSection lock;
  return lock;
}

std::string& LibraryFileName() {
  static std::string name = kDefaultLibrary;
  return name;
}

// The process-wide table: constant-initialised to zero and trivially destructible, so it is valid
// before any static constructor runs and nothing unloads the library at exit.
constinit OpenGLAPI g_table{};

// Text written in double quotes with C escapes.
struct Quoted {
  const char* text;
};
void LogPart(StreamPipeRef& p, Quoted q) { p.WriteQuoted(q.text, -1, '"'); }

template <class... A>
void LogGL(int level, const A&... parts) {
  Log(LogOutPipe(), level, parts...);
}

}  // namespace

OpenGLAPI& OpenGLAPI::Instance() { return g_table; }

void OpenGLAPI::SetLibraryFile(const char* fileName) {
  CriticalSectionLock hold(TableLock());
  LibraryFileName() = fileName && *fileName ? fileName : kDefaultLibrary;
}

const char* OpenGLAPI::LibraryFile() { return LibraryFileName().c_str(); }

const char* const* OpenGLAPI::EntryNames() { return kEntryNames; }

OpenGLProc OpenGLAPI::Entry(int index) const {
  OpenGLProc p = nullptr;
  if (index >= 0 && index < kEntryCount)
    std::memcpy(&p, reinterpret_cast<const char*>(this) + kEntryOffsets[index], sizeof p);
  return p;
}

void OpenGLAPI::SetEntry(int index, OpenGLProc proc) {
  std::memcpy(reinterpret_cast<char*>(this) + kEntryOffsets[index], &proc, sizeof proc);
}

OpenGLProc OpenGLAPI::Resolve(const char* name) const {
  // glXGetProcAddressARB answers any name, so the table takes only what the library exports.
  if (module == nullptr || glXGetProcAddressARB == nullptr) return nullptr;
  return reinterpret_cast<OpenGLProc>(Glx::Export(module, name));
}

OpenGLProc OpenGLAPI::GetProcAddress(const char* name) const {
  if (module == nullptr || glXGetProcAddressARB == nullptr || name == nullptr) return nullptr;
  if (OpenGLProc p = reinterpret_cast<OpenGLProc>(Glx::Export(module, name))) return p;
  return glXGetProcAddressARB(reinterpret_cast<const GLubyte*>(name));
}

OpenGLProc OpenGLAPI::GetWGLProcAddress(const char* name) const {
  if (module == nullptr || glXGetProcAddressARB == nullptr || name == nullptr) return nullptr;
  return glXGetProcAddressARB(reinterpret_cast<const GLubyte*>(name));
}

ResultCode OpenGLAPI::LoadDLL() {
  CriticalSectionLock hold(TableLock());
  if (module != nullptr) {
    ++loadCount;
    return SOK;
  }
  const std::string file = LibraryFileName();
  LogGL(kLevelDebug, "OpenGLAPI::LoadDLL: loading \"", file.c_str(), "\".");
  ModuleHandle loaded = Module::Load(file.c_str());
  if (loaded == nullptr) return ENotFound;  // the engine tells the user
  module = loaded;
  LogGL(kLevelInfo, "ModuleOpenGL=", Hex{reinterpret_cast<uintptr_t>(loaded), 0});
  glXGetProcAddressARB = reinterpret_cast<OpenGLProc (*)(const GLubyte*)>(Glx::Export(module, "glXGetProcAddressARB"));
  bool complete = glXGetProcAddressARB != nullptr;
  for (const char* name : kCheckedEntries) {
    OpenGLProc p = Resolve(name);
    SetEntry(IndexOf(name), p);
    complete &= p != nullptr;
  }
  if (!complete) {
    LogGL(kLevelError, "OpenGLAPI::LoadDLL: damaged opengl32 library?");
    Module::Free(module);
    glXGetProcAddressARB = nullptr;
    for (const char* name : kCheckedEntries) SetEntry(IndexOf(name), nullptr);
    module = nullptr;
    return EUnimplemented;
  }
  ++loadCount;
  return SOK;
}

ResultCode OpenGLAPI::UnloadDLL() {
  CriticalSectionLock hold(TableLock());
  if (module == nullptr) return EFail;
  if (--loadCount != 0) return EFail;  // references remain
  const std::string file = LibraryFileName();
  LogGL(kLevelDebug, "OpenGLAPI::UnloadDLL: unloading \"", file.c_str(), "\".");
  LogGL(kLevelDebug, "OpenGLAPI::UnloadDLL: unloading \"", file.c_str(), "\" (bypassed).");
  // Drivers do not survive being unmapped while their threads and exit handlers live: the library
  // stays loaded, and a later LoadDLL only adds a reference in the loader.
  *this = OpenGLAPI();
  return SOK;
}

ResultCode OpenGLAPI::InitAPI() {
  CriticalSectionLock hold(TableLock());
  if (++apiCount >= 2) {
    LogGL(kLevelInfo, "OpenGLAPI::InitAPI called again.");
    return SOK;
  }
  if (module == nullptr) return ENotFound;
  // glXGetProcAddressARB is resolved in its turn, and its new value serves the entries after it.
  for (int i = 0; i < kEntryCount; ++i) {
    const char* name = kEntryNames[i];
    SetEntry(i, name[0] == 'w' ? nullptr : Resolve(name));  // wgl*: no GLX counterpart
  }
  glSwitch[0] = glDisable;
  glSwitch[1] = glEnable;
  return SOK;
}

ResultCode OpenGLAPI::ExitAPI() {
  CriticalSectionLock hold(TableLock());
  if (apiCount > 0) {
    --apiCount;
    LogGL(kLevelDebug, "OpenGLAPI::ExitAPI (", apiCount, ").");
    return SOK;
  }
  LogGL(kLevelWarn, "OpenGLAPI::ExitAPI (", apiCount, ") called too often.");
  return EOverflow;
}

void OpenGLAPI::CheckError(GLenum code, const char* label) const {
  if (code == 0) return;
  if (label == nullptr) label = "";
  LogGL(kLevelError, "GL.GetError after ", label, ": 0x", Hex{code, 4}, ".");
  if (const void* where = GetTraceGlobal2()) {
    LogGL(kLevelError, "GL.GetError     : ", Quoted{static_cast<const char*>(where)}, ".");
  }
  if (glGetError == nullptr) return;
  // A context in a bad way can report errors without end: 8 lines, then one silent read, at most.
  constexpr int kDrainLines = 8;
  for (int lines = 0;; ++lines) {
    GLenum next = glGetError();
    if (next == 0 || lines == kDrainLines) break;
    LogGL(kLevelError, "GL.GetError     : ", label, ": 0x", Hex{next, 4}, ".");
  }
}

}  // namespace PM
