#include "platform/ModuleLoader.h"

#include <dlfcn.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "platform/LastError.h"
#include "platform/PlatformLog.h"

namespace PM {

namespace {

bool IsIdentifier(std::string_view s) {
  if (s.empty() || std::isdigit(static_cast<unsigned char>(s[0]))) return false;
  for (char c : s) {
    if (!std::isalnum(static_cast<unsigned char>(c)) && c != '_') return false;
  }
  return true;
}

bool IsDigits(std::string_view s) {
  if (s.empty()) return false;
  for (char c : s) {
    if (!std::isdigit(static_cast<unsigned char>(c))) return false;
  }
  return true;
}

const char* LoaderReason() {
  const char* reason = dlerror();
  return reason ? reason : "unknown reason";
}

}  // namespace

std::string Module::EngineFolder() {
  Dl_info info{};
  if (dladdr(reinterpret_cast<void*>(&Module::EngineFolder), &info) == 0 || info.dli_fname == nullptr) {
    return ".";
  }
  std::string path = info.dli_fname;
  size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

std::string Module::ModuleFolder() {
  const char* dir = std::getenv("PM_MODULE_DIR");
  return dir && *dir ? std::string(dir) : EngineFolder();
}

std::string Module::InstalledModuleFolder() { return EngineFolder() + "/" + kInstalledModuleFolderName; }

std::string Module::FileNameFor(const char* fileName) {
  std::string name = fileName ? fileName : "";
  if (name.size() >= 4 && strcasecmp(name.c_str() + name.size() - 4, ".dll") == 0) {
    name.replace(name.size() - 4, 4, ".so");
  }
  return name;
}

std::string Module::PlainIdentifier(const char* name) {
  std::string_view s = name ? name : "";
  if (s.size() < 2) return {};
  if (s[0] == '?') {
    // C++ decoration: "?Name@Scope@@Signature"; "??" starts operators and constructors.
    std::string_view id = s.substr(1, s.find('@') == std::string_view::npos ? 0 : s.find('@') - 1);
    return IsIdentifier(id) ? std::string(id) : std::string();
  }
  if (s[0] == '_' || s[0] == '@') {
    // stdcall "_Name@Bytes", fastcall "@Name@Bytes", cdecl "_Name".
    std::string_view rest = s.substr(1);
    size_t at = rest.rfind('@');
    if (at != std::string_view::npos) {
      if (!IsDigits(rest.substr(at + 1))) return {};
      rest = rest.substr(0, at);
    } else if (s[0] == '@') {
      return {};
    }
    return IsIdentifier(rest) ? std::string(rest) : std::string();
  }
  return {};
}

ModuleHandle Module::Load(const char* fileName) {
  std::string name = FileNameFor(fileName);
  if (name.empty()) {
    SetLastErrorCode(EINVAL);
    return nullptr;
  }
  dlerror();
  // A module present beside the engine (or in its installed module folder) is the one meant, even when
  // it fails to load.
  std::string path = name;
  if (name.find('/') == std::string::npos) {
    for (const std::string& folder : {ModuleFolder(), InstalledModuleFolder()}) {
      std::string sibling = folder;
      sibling.append("/").append(name);
      if (access(sibling.c_str(), F_OK) == 0) {
        path = sibling;
        break;
      }
    }
  }
  void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (handle == nullptr) {
    PlatformLog(kPlatformLogDebug, "Module::Load: ", fileName, " not loaded (", LoaderReason(), ").");
    SetLastErrorCode(ENOENT);
  }
  return handle;
}

void* Module::Symbol(ModuleHandle module, const char* name) {
  if (module == nullptr || name == nullptr) {
    SetLastErrorCode(EINVAL);
    return nullptr;
  }
  dlerror();
  void* address = dlsym(module, name);
  if (address == nullptr) {
    std::string plain = PlainIdentifier(name);
    if (!plain.empty()) address = dlsym(module, plain.c_str());
  }
  if (address == nullptr) {
    PlatformLog(kPlatformLogDebug, "Module::Symbol: ", name, " not found.");
    SetLastErrorCode(ENOENT);
  }
  return address;
}

bool Module::Free(ModuleHandle module) {
  if (module == nullptr || dlclose(module) != 0) {
    SetLastErrorCode(EINVAL);
    return false;
  }
  return true;
}

}  // namespace PM
