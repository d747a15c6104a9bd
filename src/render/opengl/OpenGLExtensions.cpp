#include "render/opengl/OpenGLExtensions.h"

#include <cstddef>
#include <cstring>
#include <iterator>

#include "core/Log.h"
#include "core/RegistryKey.h"

namespace PM {

namespace {

constexpr size_t kEntryOffsets[] = {
#define PM_OPENGL_EXT_OFFSET(name, type) offsetof(OpenGLEXTSet, name),
    PM_OPENGL_EXT_ENTRIES(PM_OPENGL_EXT_OFFSET)
#undef PM_OPENGL_EXT_OFFSET
};
constexpr const char* kEntryNames[] = {
#define PM_OPENGL_EXT_NAME(name, type) #name,
    PM_OPENGL_EXT_ENTRIES(PM_OPENGL_EXT_NAME)
#undef PM_OPENGL_EXT_NAME
};
constexpr const char* kFlagNames[] = {
#define PM_OPENGL_EXT_FLAG_NAME(name) #name,
    PM_OPENGL_EXT_FLAGS(PM_OPENGL_EXT_FLAG_NAME)
#undef PM_OPENGL_EXT_FLAG_NAME
};
static_assert(std::size(kEntryNames) == OpenGLEXT::kEntryCount);
static_assert(std::size(kFlagNames) == OpenGLEXT::kFlagCount && kOpenGLExtensionCount == OpenGLEXT::kFlagCount);

// What stands for each window-system extension under GLX: an extension of the GLX string, "" for
// "the GLX extension string itself can be read", null for nothing (the flag stays 0).
constexpr const char* kGlxCounterparts[OpenGLEXT::kFlagCount - OpenGLEXT::kGLFlagCount] = {
    nullptr,                      // WGL_ARB_buffer_region
    "",                           // WGL_ARB_extensions_string
    nullptr,                      // WGL_ARB_pbuffer
    nullptr,                      // WGL_ARB_pixel_format
    nullptr,                      // WGL_ARB_render_texture
    "GLX_SGI_make_current_read",  // WGL_ARB_make_current_read
    "",                           // WGL_EXT_extensions_string
    "GLX_EXT_swap_control",       // WGL_EXT_swap_control
    nullptr,                      // WGL_NV_render_texture_rectangle
};

// The entry points each extension brings, resolved in this order when its flag is set.
struct EntryGroup {
  OpenGLExtension flag;
  int first;
  int count;
};
constexpr EntryGroup kGroups[] = {
    {kWGL_ARB_extensions_string, 0, 1},   {kWGL_ARB_pbuffer, 1, 5},
    {kWGL_ARB_render_texture, 6, 3},      {kWGL_EXT_swap_control, 9, 2},
    {kWGL_ARB_pixel_format, 11, 3},       {kGL_ARB_multitexture, 14, 3},
    {kGL_EXT_draw_range_elements, 17, 1}, {kGL_EXT_compiled_vertex_array, 18, 2},
    {kGL_EXT_multi_draw_arrays, 20, 2},   {kGL_ARB_vertex_buffer_object, 22, 11},
    {kGL_ARB_shader_objects, 33, 39},     {kGL_ARB_vertex_shader, 72, 3},
};

const char* Text(const GLubyte* s) { return s ? reinterpret_cast<const char*>(s) : ""; }

// A whole word of a blank-separated list: every occurrence is examined, so a name that first appears
// as the front of a longer one ("GL_EXT_texture_lod" in "GL_EXT_texture_lod_bias") is still found.
bool ContainsWord(const char* name, const char* text) {
  size_t length = std::strlen(name);
  if (length == 0) return false;
  for (const char* at = std::strstr(text, name); at; at = std::strstr(at + 1, name)) {
    bool starts = at == text || at[-1] == ' ';
    bool ends = at[length] == '\0' || at[length] == ' ';
    if (starts && ends) return true;
  }
  return false;
}

bool Contains(const char* text, const char* part) { return std::strstr(text, part) != nullptr; }

// The registry's words, compared exactly: -1 off, 0 automatic, 1 on, 2 unknown.
int WordValue(const String& word) {
  static constexpr struct {
    const char* word;
    int value;
  } kWords[] = {{"disable", -1}, {"no", -1}, {"default", 0}, {"auto", 0}, {"", 0}, {"enable", 1}, {"yes", 1}};
  for (const auto& w : kWords) {
    if (word.EqualsCStr(w.word)) return w.value;
  }
  return 2;
}

template <class... A>
void LogGL(int level, const A&... parts) {
  Log(LogOutPipe(), level, parts...);
}

}  // namespace

const char* OpenGLEXT::FlagName(int index) { return index >= 0 && index < kFlagCount ? kFlagNames[index] : ""; }

const char* OpenGLEXT::EntryName(int index) { return index >= 0 && index < kEntryCount ? kEntryNames[index] : ""; }

OpenGLProc OpenGLEXT::Entry(int index) const {
  OpenGLProc p = nullptr;
  if (index >= 0 && index < kEntryCount) {
    std::memcpy(&p, reinterpret_cast<const char*>(static_cast<const OpenGLEXTSet*>(this)) + kEntryOffsets[index],
                sizeof p);
  }
  return p;
}

void OpenGLEXT::SetEntry(int index, OpenGLProc proc) {
  std::memcpy(reinterpret_cast<char*>(static_cast<OpenGLEXTSet*>(this)) + kEntryOffsets[index], &proc, sizeof proc);
}

void OpenGLEXT::ClearAll() { static_cast<OpenGLEXTSet&>(*this) = OpenGLEXTSet(); }

String OpenGLEXT::KeyPath(const String& registryBase) {
  if (registryBase.IsEmpty()) return String::FromConcatCStr(String::FromCStr(kRegistryEngineKey), "\\OpenGL");
  return String::FromConcatCStr(String::FromConcatCStr(registryBase, "Engine"), "\\OpenGL");
}

int OpenGLEXT::RegGet(const char* name, const RegistryKey& key) {
  String word;
  key.GetValueDataString(word, name, "");
  int v = WordValue(word);
  if (v != 2) return v;
  LogGL(kLevelWarn, "RegGet: unknown value: ", name, ".");
  return 0;
}

void OpenGLEXT::RegOverride(const char* name, const RegistryKey& key, uint8_t& flag) {
  String word;
  key.GetValueDataString(word, name, "");
  switch (WordValue(word)) {
    case -1:
      LogGL(kLevelInfo, "RegOverride: extension disabled: ", name, ".");
      flag = 0;
      break;
    case 0:
      break;
    case 1:
      if (flag == 0) LogGL(kLevelWarn, "RegOverride: extension cannot be forced enabled: ", name, ".");
      break;
    default:
      LogGL(kLevelWarn, "RegOverride: extension unknown value: ", name, ".");
      break;
  }
}

void OpenGLEXT::DetectExtension(const char* name, const char* extensions, RegistryKey& key, uint8_t& flag) {
  flag = ContainsWord(name, extensions ? extensions : "") ? 1 : 0;
  RegOverride(name, key, flag);
}

ResultCode OpenGLEXT::RegSet(const char* name, const char* word, RegistryKey& key) {
  key.SetValueDataString(name, word);
  return SOK;
}

ResultCode OpenGLEXT::Init(const String& registryBase, const OpenGLAPI& api, Display* display, int screen) {
  if (++m_initCount != 1) return SOK;
  m_registryBase = registryBase;
  const String path = KeyPath(registryBase);
  RegistryKey key;
  bool switchedOff = false;
  if (key.OpenKey(path.CStr())) {
    switchedOff = RegGet("Extensions", key) < 0;
  } else if (key.CreateKey(path.CStr())) {
    key.SetValueDataString("Extensions", "default");
  }
  key.OpenKey(path.CStr());

  if (switchedOff) {
    LogGL(kLevelWarn, "OpenGLEXT: Registy/OpenGL/Extensions are set to disabled.");
    ClearAll();
  } else {
    glXQueryExtensionsString =
        reinterpret_cast<const char* (*)(Display*, int)>(api.GetProcAddress("glXQueryExtensionsString"));
    const char* glString = api.glGetString ? Text(api.glGetString(GL_EXTENSIONS)) : "";
    const bool haveGlx = glXQueryExtensionsString != nullptr && display != nullptr;
    const char* glxString = "";
    if (haveGlx) {
      glxString = glXQueryExtensionsString(display, screen);
      if (glxString == nullptr) glxString = "";
    }
    LogGL(kLevelInfo, "GL.Extensions: ", glString);
    LogGL(kLevelInfo, "GLW.Extensions: ", glxString);

    for (int i = 0; i < kGLFlagCount; ++i) DetectExtension(kFlagNames[i], glString, key, flags[i]);
    for (int i = kGLFlagCount; i < kFlagCount; ++i) {
      const char* counterpart = kGlxCounterparts[i - kGLFlagCount];
      if (counterpart == nullptr) {
        flags[i] = 0;
      } else if (*counterpart == '\0') {
        flags[i] = haveGlx ? 1 : 0;
      } else {
        flags[i] = haveGlx && ContainsWord(counterpart, glxString) ? 1 : 0;
      }
      RegOverride(kFlagNames[i], key, flags[i]);
    }

    // Only a listed extension makes its entry points trustworthy: glXGetProcAddressARB answers any name.
    for (const EntryGroup& g : kGroups) {
      if (!flags[g.flag]) continue;
      for (int i = g.first; i < g.first + g.count; ++i) {
        const char* name = kEntryNames[i];
        SetEntry(i, name[0] == 'w' ? nullptr : api.GetWGLProcAddress(name));  // wgl*: no GLX counterpart
      }
    }
  }

  const char* vendor = api.glGetString ? Text(api.glGetString(GL_VENDOR)) : "";
  const char* renderer = api.glGetString ? Text(api.glGetString(GL_RENDERER)) : "";
  CullingWorkaround = 0;
  const int workarounds = RegGet("Workaround2", key);
  ApplyWorkarounds(vendor, renderer, workarounds);
  RegSet("Workaround2", workarounds > 0 ? "enable" : "disable", key);
  ListState();
  MakeConsistent();
  key.CloseKey();
  return SOK;
}

void OpenGLEXT::ApplyWorkarounds(const char* vendor, const char* renderer, int w) {
  if (Contains(vendor, "ATI") || Contains(renderer, "Radeon")) {
    LogGL(kLevelInfo, "OpenGL: ATI/Radeon driver detected.");
    if (w > 0) {
      LogGL(kLevelInfo, "OpenGL: ATI/Radeon driver detected, disabling some unstable extensions.");
      flags[kGL_EXT_draw_range_elements] = 0;
      flags[kGL_ARB_vertex_buffer_object] = 0;
      glDrawRangeElementsEXT = nullptr;
      for (const char* model : {"8500", "9000", "9500", "9700"}) {
        if (!Contains(renderer, model)) continue;
        LogGL(kLevelInfo, "OpenGL: ATI/8500/9000/9500/9700 driver detected, disabling culling.");
        CullingWorkaround = 1;
        break;
      }
    } else {
      LogGL(kLevelInfo, "OpenGL: ATI/Radeon driver detected, user/registry selected 'no workarounds'.");
    }
  }
  if (Contains(vendor, "SIS") || Contains(vendor, "SiS")) {
    LogGL(kLevelInfo, "OpenGL: SiS driver detected.");
    if (w > 0) {
      LogGL(kLevelInfo, "OpenGL: SiS driver detected, disabling some unstable extensions.");
      glActiveTextureARB = nullptr;
    } else {
      LogGL(kLevelInfo, "OpenGL: SiS driver detected, user/registry selected 'no workarounds'.");
    }
  }
  if (Contains(vendor, "S3 Graphics")) {
    LogGL(kLevelInfo, "OpenGL: S3 driver detected.");
    if (w > 0) {
      LogGL(kLevelInfo, "OpenGL: S3 driver detected, disabling some unstable extensions.");
      ClearAll();
      LogGL(kLevelInfo, "OpenGL: S3 driver - forcing 100% no extensions.");
    } else {
      LogGL(kLevelInfo, "OpenGL: S3 driver detected, user/registry selected 'no workarounds'.");
    }
  }
  if (Contains(vendor, "3Dfx") || Contains(vendor, "voodoo") || Contains(vendor, "Voodoo")) {
    LogGL(kLevelInfo, "OpenGL: 3Dfx driver detected.");
    if (w > 0) {
      LogGL(kLevelInfo, "OpenGL: 3Dfx driver detected, disabling some unstable extensions.");
      ClearAll();
      LogGL(kLevelInfo, "OpenGL: 3Dfx driver - forcing 100% no extensions.");
    } else {
      LogGL(kLevelInfo, "OpenGL: 3Dfx driver detected, user/registry selected 'no workarounds'.");
    }
  }
}

void OpenGLEXT::ListState() const {
  if (!LogLevelAdmits(kLevelInfo)) return;
  for (int i = 0; i < kFlagCount; ++i) LogGL(kLevelInfo, flags[i] ? "  ok " : "  no ", kFlagNames[i]);
  for (int i = 0; i < kEntryCount; ++i) LogGL(kLevelInfo, Entry(i) ? "  ok " : "  no ", kEntryNames[i]);
}

void OpenGLEXT::MakeConsistent() {
  if (flags[kGL_ARB_multitexture] &&
      (!flags[kGL_EXT_vertex_array] || !glActiveTextureARB || !glClientActiveTextureARB)) {
    LogGL(kLevelWarn, "OpenGL: inconsistent multitexture extension disabled.");
    flags[kGL_ARB_multitexture] = 0;
  }
  if (flags[kGL_EXT_draw_range_elements] && !glDrawRangeElementsEXT) {
    LogGL(kLevelWarn, "OpenGL: inconsistent DrawRangeElementsEXT extension disabled.");
    flags[kGL_EXT_draw_range_elements] = 0;
    glDrawRangeElementsEXT = nullptr;
    flags[kGL_ARB_vertex_buffer_object] = 0;
  }
  if (flags[kGL_EXT_compiled_vertex_array] && (!glLockArraysEXT || !glUnlockArraysEXT)) {
    flags[kGL_EXT_compiled_vertex_array] = 0;
  }
  if (!flags[kGL_EXT_compiled_vertex_array]) {
    glLockArraysEXT = nullptr;
    glUnlockArraysEXT = nullptr;
  }
  if (!flags[kGL_ARB_multitexture]) {
    glActiveTextureARB = nullptr;
    glClientActiveTextureARB = nullptr;
  }
}

ResultCode OpenGLEXT::Exit() {
  if (--m_initCount < 0) {
    m_initCount = 0;
    return EOverflow;
  }
  return SOK;
}

}  // namespace PM
