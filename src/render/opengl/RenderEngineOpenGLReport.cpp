// The OpenGL engine's diagnostics: the system report (memory, clock, display mode and the connected
// outputs of the X server) and the measure of how much texture memory the driver keeps resident.
#include <sys/resource.h>

#include <X11/Xlib.h>
#include <X11/extensions/Xrandr.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "core/Clock.h"
#include "core/Log.h"
#include "platform/PlatformWindow.h"
#include "render/opengl/RenderEngineOpenGL.h"

namespace PM {

namespace {

StreamPipeRef& EngineLog() { return LogOutPipe(); }

// The counterpart of the memory status: RAM, swap (the page file) and the address space, in bytes.
struct MemoryStatus {
  int32_t load = 0;  // percent of RAM in use
  uint64_t totalPhys = 0, availPhys = 0, totalPage = 0, availPage = 0, totalVirt = 0, availVirt = 0;
};

// A "Name:   123 kB" value of a /proc file, in bytes; 0 when absent.
uint64_t ProcValue(const char* file, const char* name) {
  std::ifstream in(file);
  std::string line;
  const size_t n = std::strlen(name);
  while (std::getline(in, line)) {
    if (line.compare(0, n, name) == 0 && line.size() > n && line[n] == ':')
      return std::strtoull(line.c_str() + n + 1, nullptr, 10) * 1024u;
  }
  return 0;
}

MemoryStatus ReadMemoryStatus() {
  MemoryStatus m;
  m.totalPhys = ProcValue("/proc/meminfo", "MemTotal");
  m.availPhys = ProcValue("/proc/meminfo", "MemAvailable");
  m.totalPage = ProcValue("/proc/meminfo", "SwapTotal");
  m.availPage = ProcValue("/proc/meminfo", "SwapFree");
  if (m.totalPhys > 0) m.load = int32_t((m.totalPhys - std::min(m.availPhys, m.totalPhys)) * 100 / m.totalPhys);
  // The address-space limit, else the 47 bits of user space x86-64 gives a process.
  rlimit limit{};
  m.totalVirt = uint64_t(1) << 47;
  if (getrlimit(RLIMIT_AS, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY) m.totalVirt = limit.rlim_cur;
  const uint64_t used = ProcValue("/proc/self/status", "VmSize");
  m.availVirt = m.totalVirt > used ? m.totalVirt - used : 0;
  return m;
}

uint64_t MB(uint64_t bytes) { return bytes >> 20; }

std::string Printf(const char* format, auto... values) {
  char text[256];
  std::snprintf(text, sizeof text, format, values...);
  return text;
}

void Append(String& to, const std::string& text) { to.Append(text.c_str(), int(text.size())); }

// Display-device flags as the report names them.
constexpr uint32_t kAttachedToDesktop = 0x1, kPrimaryDevice = 0x4, kMirroringDriver = 0x8, kVgaCompatible = 0x10;

struct DisplayMode {
  int32_t width = 0, height = 0, bits = 0, refresh = 0, widthMM = 0, heightMM = 0;
  uint32_t version = 0;
};

// The refresh of a mode in whole hertz: 0 when its clock or totals are unknown.
int32_t Refresh(const XRRModeInfo& mode) {
  if (mode.dotClock == 0 || mode.hTotal == 0 || mode.vTotal == 0) return 0;
  return int32_t(std::lround(double(mode.dotClock) / (double(mode.hTotal) * double(mode.vTotal))));
}

void LogMemoryAndClock() {
  const MemoryStatus mem = ReadMemoryStatus();
  Log(EngineLog(), kLevelInfo, "Load: ", mem.load, "%");
  Log(EngineLog(), kLevelInfo, "Phys: ", MB(mem.totalPhys), "M/", MB(mem.availPhys), "M");
  Log(EngineLog(), kLevelInfo, "Page: ", MB(mem.totalPage), "M/", MB(mem.availPage), "M");
  Log(EngineLog(), kLevelInfo, "Virt: ", MB(mem.totalVirt), "M/", MB(mem.availVirt), "M");

  const int64_t frequency = GetClockRates().frequency, ticks = GetPerformanceCounter();
  const int64_t seconds = frequency > 0 ? ticks / frequency : 0;
  Log(EngineLog(), kLevelInfo, "Timer speed: ", frequency, " ticks/s");
  Log(EngineLog(), kLevelInfo, "Timer ticks: ", ticks, " ticks");
  Log(EngineLog(), kLevelInfo, "Timer clock: ",
      Printf("%04lld:%02lld:%02lld", (long long)(seconds / 3600), (long long)(seconds / 60 % 60),
             (long long)(seconds % 60))
          .c_str());
}

// A connected output of the X server, as the display devices of the report.
struct Output {
  int index;
  std::string name;
  uint32_t flags;
};

// The screen's mode as the server reports it, before the outputs refine it.
DisplayMode ScreenMode(Display* display, int screen) {
  DisplayMode mode;
  mode.width = DisplayWidth(display, screen);
  mode.height = DisplayHeight(display, screen);
  mode.bits = DefaultDepth(display, screen);
  mode.widthMM = DisplayWidthMM(display, screen);
  mode.heightMM = DisplayHeightMM(display, screen);
  mode.version = uint32_t(VendorRelease(display));
  return mode;
}

// The connected outputs (through RandR 1.3; none without it). The display mode takes the refresh and
// physical size of the primary output (or the first connected one).
std::vector<Output> ConnectedOutputs(Display* display, int screen, DisplayMode* mode) {
  std::vector<Output> outputs;
  XRRScreenResources* resources = XRRGetScreenResourcesCurrent(display, RootWindow(display, screen));
  if (!resources) return outputs;
  const RROutput primary = XRRGetOutputPrimary(display, RootWindow(display, screen));
  for (int i = 0; i < resources->noutput; ++i) {
    XRROutputInfo* info = XRRGetOutputInfo(display, resources, resources->outputs[i]);
    if (!info) continue;
    if (info->connection == RR_Connected) {
      const bool isPrimary = resources->outputs[i] == primary || (primary == 0 && outputs.empty());
      outputs.push_back({i, std::string(info->name, size_t(info->nameLen)),
                         (info->crtc ? kAttachedToDesktop : 0u) | (isPrimary ? kPrimaryDevice : 0u)});
      if (isPrimary && info->crtc) {
        if (XRRCrtcInfo* crtc = XRRGetCrtcInfo(display, resources, info->crtc)) {
          for (int m = 0; m < resources->nmode; ++m)
            if (resources->modes[m].id == crtc->mode) mode->refresh = Refresh(resources->modes[m]);
          XRRFreeCrtcInfo(crtc);
        }
        if (info->mm_width > 0 && info->mm_height > 0)
          mode->widthMM = int32_t(info->mm_width), mode->heightMM = int32_t(info->mm_height);
      }
    }
    XRRFreeOutputInfo(info);
  }
  XRRFreeScreenResources(resources);
  return outputs;
}

void LogOutputFlags(const Output& o) {
  std::string flags = std::to_string(o.flags);
  static const struct {
    uint32_t bit;
    const char* name;
  } kFlags[] = {{kAttachedToDesktop, "|DISPLAY_DEVICE_ATTACHED_TO_DESKTOP"},
                {kMirroringDriver, "|DISPLAY_DEVICE_MIRRORING_DRIVER"},
                {kPrimaryDevice, "|DISPLAY_DEVICE_PRIMARY_DEVICE"},
                {kVgaCompatible, "|DISPLAY_DEVICE_VGA_COMPATIBLE"}};
  for (const auto& f : kFlags)
    if (o.flags & f.bit) flags += f.name;
  Log(EngineLog(), kLevelInfo, "StateFlags: ", flags.c_str(), ".");
}

}  // namespace

ResultCode RenderEngineOpenGL_D::BuildSystemReport(OpenGLDeviceContext* dc) {
  m_adapterName = "[???]";
  m_displayCount = 0;
  LogMemoryAndClock();
  Display* display = dc ? dc->display : nullptr;
  if (!display) return SOK;
  const int screen = dc->screen;
  DisplayMode mode = ScreenMode(display, screen);
  int eventBase = 0, errorBase = 0, major = 0, minor = 0;
  const bool randr = XRRQueryExtension(display, &eventBase, &errorBase) && XRRQueryVersion(display, &major, &minor) &&
                     (major > 1 || (major == 1 && minor >= 3));
  const std::vector<Output> outputs = randr ? ConnectedOutputs(display, screen, &mode) : std::vector<Output>{};

  Log(EngineLog(), kLevelInfo, "Display: ", mode.width, "x", mode.height, "x", mode.bits, "@", mode.refresh, " (",
      mode.widthMM, "mm/", mode.heightMM, "mm) ver 0x", Printf("%x", mode.version).c_str(), ".");
  Append(m_report, Printf("Display Mode: %ix%ix%i@%i (%imm/%imm) ver %x\r\n", mode.width, mode.height, mode.bits,
                          mode.refresh, mode.widthMM, mode.heightMM, mode.version));
  if (!randr) {
    Log(EngineLog(), kLevelInfo, "EnumDisplayDevices not available (Win95/98/ME).");
    return SOK;
  }
  const char* vendor = ServerVendor(display);
  const std::string deviceString = vendor ? vendor : "";
  for (const Output& o : outputs) {
    if (o.flags & kMirroringDriver) continue;
    std::string adapter(m_adapterName.View());
    if (m_displayCount > 0) adapter += ";";
    ++m_displayCount;
    adapter += deviceString;
    m_adapterName = String(std::string_view(adapter));
    Append(m_report, Printf("Display #%i: ", o.index) + deviceString + "\r\n");
    Log(EngineLog(), kLevelInfo, "DeviceName: ", o.name.c_str());
    Log(EngineLog(), kLevelInfo, "DeviceString: ", deviceString.c_str());
    LogOutputFlags(o);
  }
  if (outputs.empty()) Log(EngineLog(), kLevelInfo, "EnumDisplayDevices failed.");
  return SOK;
}

int32_t RenderEngineOpenGL_D::DetectTextureMemory() {
  Log(EngineLog(), kLevelDebug, "DetectTextureMemory()");
  if (m_genericFormat) {
    Log(EngineLog(), kLevelInfo, "DetectTextureMemory: ", int32_t(0x7FFFFF), " bytes texture memory (GENERIC).");
    return 0x7FFFFF;
  }
  if (!m_context || !m_window) return 0;
  const OpenGLAPI& gl = GL();
  constexpr int32_t kSide = 256, kBytes = kSide * kSide * 4;
  Ptr<Image_I> images[2] = {Ptr<Image_I>(Image_I::New()), Ptr<Image_I>(Image_I::New())};
  const uint32_t fills[2] = {0x80808080u, 0x40404040u};
  for (int i = 0; i < 2; ++i) {
    images[i]->Create(4, kSide, kSide, 0);
    if (images[i]->GetFormat() == 0) return 0;
    uint32_t* words = reinterpret_cast<uint32_t*>(images[i]->GetData());
    std::fill(words, words + kSide * kSide, fills[i]);
  }
  MemoryStatus mem = ReadMemoryStatus();
  if (m_physicalMemoryOverride) mem.totalPhys = mem.availPhys = m_physicalMemoryOverride;
  Log(EngineLog(), kLevelInfo, "Phys: ", MB(mem.totalPhys), "M/", MB(mem.availPhys), "M");
  uint64_t budget = 0x8200000;
  if (mem.totalPhys > 0 && mem.totalPhys / 3 < budget) budget = mem.totalPhys / 3;

  std::vector<GLuint> names;
  for (uint64_t total = 0; total < budget; total += kBytes) {
    GLuint name = 0;
    gl.glGenTextures(1, &name);
    const GLclampf priority = 1.0f;
    gl.glPrioritizeTextures(1, &name, &priority);
    gl.glBindTexture(GL_TEXTURE_2D, name);
    DownloadImage(GL_TEXTURE_2D, GL_RGBA8, 32, GL_RGBA, false, images[names.size() % 2].Get(), 0);
    gl.glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP);
    gl.glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP);
    gl.glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    gl.glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    GLint readBack = 0;
    gl.glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_PRIORITY, &readBack);
    gl.glPrioritizeTextures(1, &name, &priority);
    names.push_back(name);
  }
  std::vector<uint8_t> resident(names.size(), 0);

  SetProjectionMatrix(&kIdentityMatrix4f);
  SetModelViewMatrix(&kIdentityMatrix4f);
  gl.glDisable(GL_DEPTH_TEST);
  gl.glEnable(GL_TEXTURE_2D);
  for (size_t i = 0; i < names.size(); ++i) {
    gl.glBindTexture(GL_TEXTURE_2D, names[i]);
    gl.glBegin(GL_QUADS);
    gl.glTexCoord2f(0, 0), gl.glVertex3f(-1, -1, 1);
    gl.glTexCoord2f(1, 0), gl.glVertex3f(1, -1, 1);
    gl.glTexCoord2f(1, 1), gl.glVertex3f(1, 1, 1);
    gl.glTexCoord2f(0, 1), gl.glVertex3f(-1, 1, 1);
    gl.glEnd();
    if (i % 7 == 6 || i + 1 == names.size()) Glx::SwapBuffers(m_glx, m_display, m_window->window);
    gl.glFinish();
  }
  const GLsizei count = GLsizei(names.size());
  gl.CheckError(gl.glGetError(), "AreTexturesResident (pre)");
  const GLboolean all = count > 0 && gl.glAreTexturesResident(count, names.data(), resident.data());
  gl.CheckError(gl.glGetError(), "AreTexturesResident (post)");
  if (all) {
    Log(EngineLog(), kLevelInfo, "DetectTextureMemory: allresident.");
    std::fill(resident.begin(), resident.end(), uint8_t(1));
  }
  std::string flags(names.size(), '0');
  int32_t bytes = 0;
  for (size_t i = 0; i < names.size(); ++i) {
    gl.glBindTexture(GL_TEXTURE_2D, names[i]);
    GLint isResident = 0;
    gl.glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_RESIDENT, &isResident);
    if (isResident == 0) resident[i] = 0;
    if (resident[i]) flags[i] = '1', bytes += kBytes;
  }
  Log(EngineLog(), kLevelInfo, "Resident: ", flags.c_str());
  Log(EngineLog(), kLevelInfo, "DetectTextureMemory: ", bytes, " bytes texture memory.");
  gl.glDisable(GL_TEXTURE_2D);
  if (count > 0) gl.glDeleteTextures(count, names.data());
  return bytes;
}

}  // namespace PM
