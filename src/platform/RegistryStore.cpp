#include "platform/RegistryStore.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "platform/PlatformLog.h"
#include "platform/SafeFile.h"

namespace PM {

namespace {

constexpr const char* kHeader = "; Pelmora registry 1";
constexpr int64_t kMaxRegistryBytes = int64_t(64) << 20;
constexpr int kMaxDamagedCopies = 1000;

struct RootName {
  uint32_t root;
  const char* word;
};
constexpr RootName kRoots[] = {
    {kRegistryClassesRoot, "HKEY_CLASSES_ROOT"},
    {kRegistryCurrentUser, "HKEY_CURRENT_USER"},
    {kRegistryLocalMachine, "HKEY_LOCAL_MACHINE"},
    {kRegistryUsers, "HKEY_USERS"},
};

struct TypeName {
  uint32_t type;
  std::string_view word;
};
constexpr TypeName kTypes[] = {{kRegistrySz, "sz"}, {kRegistryDword, "dword"}, {kRegistryBinary, "hex"}};

// Key and value names compare without regard to ASCII case, as the registry's do.
// Compared as views: strncasecmp would stop at a NUL inside them.
bool SameName(std::string_view a, std::string_view b) {
  const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(), [&](char x, char y) { return lower(x) == lower(y); });
}

bool IsControl(unsigned char c) { return c < 0x20 || c == 0x7F; }

const char kHexDigits[] = "0123456789abcdef";

void AppendQuoted(std::string& out, std::string_view text) {
  out += '"';
  for (unsigned char c : text) {
    if (c == '"' || c == '\\') {
      out += '\\';
      out += char(c);
    } else if (IsControl(c)) {
      out += "\\x";
      out += kHexDigits[c >> 4];
      out += kHexDigits[c & 15];
    } else {
      out += char(c);
    }
  }
  out += '"';
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Reads a quoted text at the start of `s` and moves `s` past it.
bool ReadQuoted(std::string_view& s, std::string& out) {
  if (s.empty() || s[0] != '"') return false;
  size_t i = 1;
  while (i < s.size() && s[i] != '"') {
    char c = s[i++];
    if (IsControl(static_cast<unsigned char>(c))) return false;
    if (c != '\\') {
      out += c;
      continue;
    }
    if (i >= s.size()) return false;
    char e = s[i++];
    if (e == '"' || e == '\\') {
      out += e;
    } else if (e == 'x' && i + 2 <= s.size() && HexValue(s[i]) >= 0 && HexValue(s[i + 1]) >= 0) {
      out += char(HexValue(s[i]) * 16 + HexValue(s[i + 1]));
      i += 2;
    } else {
      return false;
    }
  }
  if (i >= s.size()) return false;
  s.remove_prefix(i + 1);
  return true;
}

bool ParsePayload(uint32_t type, std::string_view s, std::string& data) {
  if (type == kRegistrySz) return ReadQuoted(s, data) && s.empty();
  if (type == kRegistryDword) {
    uint32_t v = 0;
    if (s.empty() || s.size() > 8) return false;
    auto [p, ec] = std::from_chars(s.data(), s.data() + s.size(), v, 16);
    if (ec != std::errc() || p != s.data() + s.size()) return false;
    for (int i = 0; i < 4; ++i) data += char((v >> (8 * i)) & 0xFF);
    return true;
  }
  // hex: comma-separated bytes of two digits each, possibly none.
  for (size_t i = 0; i < s.size(); i += 3) {
    if (i + 2 > s.size() || HexValue(s[i]) < 0 || HexValue(s[i + 1]) < 0) return false;
    if (i + 2 < s.size() && (s[i + 2] != ',' || i + 3 == s.size())) return false;
    data += char(HexValue(s[i]) * 16 + HexValue(s[i + 1]));
  }
  return true;
}

std::string_view Trimmed(std::string_view s) {
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) s.remove_suffix(1);
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  return s;
}

bool ValidKeyPath(std::string_view path) {
  size_t slash = path.find('\\');
  std::string_view root = path.substr(0, slash);
  bool known = false;
  for (const RootName& r : kRoots) known = known || SameName(root, r.word);
  if (!known) return false;
  if (slash == std::string_view::npos) return true;
  std::string_view rest = path.substr(slash + 1);
  // Each part is non-empty and free of control characters.
  if (rest.empty() || rest.front() == '\\' || rest.back() == '\\' || rest.find("\\\\") != std::string_view::npos) {
    return false;
  }
  for (unsigned char c : rest) {
    if (IsControl(c)) return false;
  }
  return true;
}

RegistryStore::Key* FindKey(RegistryStore::Keys& keys, std::string_view path) {
  for (RegistryStore::Key& k : keys) {
    if (SameName(k.path, path)) return &k;
  }
  return nullptr;
}

RegistryStore::Value* FindValue(RegistryStore::Key& key, std::string_view name) {
  for (auto& [n, v] : key.values) {
    if (SameName(n, name)) return &v;
  }
  return nullptr;
}

int WriteAll(int fd, const std::string& bytes) {
  size_t done = 0;
  while (done < bytes.size()) {
    ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return n < 0 ? errno : EIO;
    done += size_t(n);
  }
  return 0;
}

}  // namespace

RegistryStore::RegistryStore(std::string path) : m_fixedPath(std::move(path)) {}

RegistryStore& RegistryStore::Process() {
  static RegistryStore* store = new RegistryStore();  // lives to the very end of the process
  return *store;
}

std::string RegistryStore::DefaultPath() {
  const char* file = getenv("PM_REGISTRY_FILE");
  if (file && *file) return file;
  const char* config = getenv("XDG_CONFIG_HOME");
  if (config && *config) return std::string(config) + "/Pelmora/registry.ini";
  const char* home = getenv("HOME");
  return std::string(home && *home ? home : ".") + "/.config/Pelmora/registry.ini";
}

std::string RegistryStore::Path() const { return m_fixedPath.empty() ? DefaultPath() : m_fixedPath; }

std::string RegistryStore::KeyPath(uint32_t root, std::string_view subkey) {
  std::string path;
  for (const RootName& r : kRoots) {
    if (r.root == root) path = r.word;
  }
  if (path.empty()) return {};
  // Surplus separators are dropped: "\Software\\Pelmora\" is "Software\Pelmora".
  size_t i = 0;
  while (i < subkey.size()) {
    size_t end = subkey.find('\\', i);
    if (end == std::string_view::npos) end = subkey.size();
    if (end > i) {
      path += '\\';
      path.append(subkey.substr(i, end - i));
    }
    i = end + 1;
  }
  return ValidKeyPath(path) ? path : std::string();
}

int RegistryStore::Parse(std::string_view text, Keys& keys) {
  keys.clear();
  Key* current = nullptr;
  int lineNumber = 0;
  while (!text.empty()) {
    ++lineNumber;
    size_t end = text.find('\n');
    std::string_view line = Trimmed(text.substr(0, end));
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    if (line.empty() || line[0] == ';' || line[0] == '#') continue;
    bool ok = false;
    if (line[0] == '[' && line.back() == ']' && line.size() > 2) {
      std::string_view path = line.substr(1, line.size() - 2);
      if (ValidKeyPath(path)) {
        current = FindKey(keys, path);
        if (!current) current = &keys.emplace_back(Key{std::string(path), {}});
        ok = true;
      }
    } else if (line[0] == '"' && current) {
      std::string name;
      std::string_view rest = line;
      Value value;
      if (ReadQuoted(rest, name) && !rest.empty() && rest[0] == '=') {
        rest.remove_prefix(1);
        size_t colon = rest.find(':');
        for (const TypeName& t : kTypes) {
          if (colon != std::string_view::npos && rest.substr(0, colon) == t.word) {
            value.type = t.type;
            ok = ParsePayload(t.type, rest.substr(colon + 1), value.data);
          }
        }
      }
      if (ok) {
        if (Value* old = FindValue(*current, name)) {
          *old = std::move(value);
        } else {
          current->values.emplace_back(std::move(name), std::move(value));
        }
      }
    }
    if (!ok) {
      keys.clear();
      return lineNumber;
    }
  }
  return 0;
}

std::string RegistryStore::Format(const Keys& keys) {
  std::string out = kHeader;
  out += '\n';
  for (const Key& key : keys) {
    out += "\n[" + key.path + "]\n";
    for (const auto& [name, value] : key.values) {
      AppendQuoted(out, name);
      out += '=';
      if (value.type == kRegistryDword) {
        uint32_t v = 0;
        for (size_t i = 0; i < 4 && i < value.data.size(); ++i) v |= uint32_t(uint8_t(value.data[i])) << (8 * i);
        char digits[9];
        for (int i = 7; i >= 0; --i, v >>= 4) digits[i] = kHexDigits[v & 15];
        out += "dword:";
        out.append(digits, 8);
      } else if (value.type == kRegistryBinary) {
        out += "hex:";
        for (size_t i = 0; i < value.data.size(); ++i) {
          if (i) out += ',';
          out += kHexDigits[uint8_t(value.data[i]) >> 4];
          out += kHexDigits[uint8_t(value.data[i]) & 15];
        }
      } else {
        out += "sz:";
        AppendQuoted(out, value.data);
      }
      out += '\n';
    }
  }
  return out;
}

void RegistryStore::Refresh(const std::string& path, bool force) {
  FileStamp stamp;
  struct stat st;
  bool exists = stat(path.c_str(), &st) == 0;
  if (exists) {
    stamp = {st.st_dev, st.st_ino, st.st_size, int64_t(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec};
  }
  if (!force && path == m_loadedPath && stamp == m_stamp) return;
  m_loadedPath = path;
  m_stamp = stamp;
  m_keys.clear();
  m_damaged = false;
  m_unusable = 0;
  if (!exists) return;
  std::string text;
  int error = 0;
  if (!ReadRegularFile(path.c_str(), text, kMaxRegistryBytes, error)) {
    // What can't be read is never replaced: a change would lose everything in it.
    m_unusable = error;
    PlatformLog(kPlatformLogError, "RegistryStore: ", path.c_str(), " can't be read: ", OpenFailureText(error),
                "; it is read as empty and not written.");
    return;
  }
  int bad = text.find('\0') != std::string::npos ? 1 : Parse(text, m_keys);
  if (bad != 0) {
    m_keys.clear();
    m_damaged = true;
    PlatformLog(kPlatformLogError, "RegistryStore: ", path.c_str(), " is damaged at line ", int32_t(bad),
                "; it is read as empty.");
  }
}

bool RegistryStore::KeyExists(uint32_t root, std::string_view subkey) {
  std::string key = KeyPath(root, subkey);
  if (key.empty()) return false;
  if (key.find('\\') == std::string::npos) return true;  // a root always exists
  std::lock_guard<std::mutex> lock(m_mutex);
  Refresh(Path(), false);
  // A key exists when it or a key below it was created.
  for (const Key& k : m_keys) {
    if (SameName(std::string_view(k.path).substr(0, key.size()), key) &&
        (k.path.size() == key.size() || k.path[key.size()] == '\\')) {
      return true;
    }
  }
  return false;
}

int RegistryStore::GetValue(uint32_t root, std::string_view subkey, std::string_view name, Value& out) {
  std::string key = KeyPath(root, subkey);
  if (key.empty()) return EINVAL;
  std::lock_guard<std::mutex> lock(m_mutex);
  Refresh(Path(), false);
  Key* k = FindKey(m_keys, key);
  Value* v = k ? FindValue(*k, name) : nullptr;
  if (!v) return ENOENT;
  out = *v;
  return 0;
}

int RegistryStore::CreateKey(uint32_t root, std::string_view subkey) {
  std::string key = KeyPath(root, subkey);
  if (key.empty()) return EINVAL;
  if (key.find('\\') == std::string::npos) return 0;
  return Modify([&](Keys& keys) {
    if (FindKey(keys, key)) return false;
    keys.push_back(Key{key, {}});
    return true;
  });
}

int RegistryStore::SetValue(uint32_t root, std::string_view subkey, std::string_view name, const Value& value) {
  std::string key = KeyPath(root, subkey);
  if (key.empty()) return EINVAL;
  if (value.type != kRegistrySz && value.type != kRegistryDword && value.type != kRegistryBinary) return EINVAL;
  if (value.type == kRegistryDword && value.data.size() != 4) return EINVAL;
  // Text values end at their NUL, as the registry stores them.
  Value stored = value;
  if (stored.type == kRegistrySz) stored.data.resize(strnlen(stored.data.c_str(), stored.data.size()));
  return Modify([&](Keys& keys) {
    Key* k = FindKey(keys, key);
    if (!k) k = &keys.emplace_back(Key{key, {}});
    if (Value* v = FindValue(*k, name)) {
      *v = stored;
    } else {
      k->values.emplace_back(std::string(name), stored);
    }
    return true;
  });
}

// Moves the damaged file to the first free name of PATH.damaged, PATH.damaged.1, ... so every
// damaged copy is kept; false (logged) when none is free or the move fails.
bool RegistryStore::MoveDamagedAside(const std::string& path) {
  for (int n = 0; n < kMaxDamagedCopies; ++n) {
    std::string aside = path + ".damaged";
    if (n) aside.append(".").append(std::to_string(n));  // not "." + ...: g++ 12 warns falsely (-Wrestrict)
    if (renameat2(AT_FDCWD, path.c_str(), AT_FDCWD, aside.c_str(), RENAME_NOREPLACE) == 0) {
      PlatformLog(kPlatformLogWarn, "RegistryStore: the damaged ", path.c_str(), " was moved to ", aside.c_str(), ".");
      return true;
    }
    if (errno != EEXIST) {
      PlatformLog(kPlatformLogError, "RegistryStore: the damaged ", path.c_str(), " can't be moved to ", aside.c_str(),
                  ": ", strerror(errno), ".");
      return false;
    }
  }
  PlatformLog(kPlatformLogError, "RegistryStore: ", path.c_str(), " is damaged and ", int32_t(kMaxDamagedCopies),
              " damaged copies are kept already; it is not replaced.");
  return false;
}

int RegistryStore::Modify(const std::function<bool(Keys&)>& change) {
  std::lock_guard<std::mutex> lock(m_mutex);
  std::string path = Path();
  std::error_code ec;
  std::filesystem::path parent = std::filesystem::path(path).parent_path();
  if (!parent.empty()) std::filesystem::create_directories(parent, ec);
  // Other processes write the same file: each change is a read, modify and replace under the lock.
  int error = 0;
  int lockFd = OpenRegularFile((path + ".lock").c_str(), O_RDWR | O_CREAT, error);
  if (lockFd < 0 || flock(lockFd, LOCK_EX) != 0) {
    if (lockFd >= 0) error = errno, close(lockFd);
    PlatformLog(kPlatformLogError, "RegistryStore: ", path.c_str(), " can't be locked: ", OpenFailureText(error), ".");
    return error;
  }
  Refresh(path, true);
  int status = m_unusable;
  if (status == 0 && change(m_keys)) {
    if (m_damaged && MoveDamagedAside(path)) m_damaged = false;
    // Written beside the file and renamed over it, so a reader never sees half a file. A name left
    // over from an earlier run (or planted) is removed first; the new file is created exclusively.
    std::string temp = path + ".tmp." + std::to_string(getpid());
    unlink(temp.c_str());
    int fd = m_damaged ? -1 : OpenRegularFile(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL, status);
    if (m_damaged) {
      status = EEXIST;
    } else if (fd >= 0) {
      status = WriteAll(fd, Format(m_keys));
      if (status == 0 && fsync(fd) != 0) status = errno;
      if (close(fd) != 0 && status == 0) status = errno;
      if (status == 0 && rename(temp.c_str(), path.c_str()) != 0) status = errno;
      if (status != 0) unlink(temp.c_str());
    }
    if (status != 0) {
      PlatformLog(kPlatformLogError, "RegistryStore: ", path.c_str(), " can't be written: ", OpenFailureText(status),
                  ".");
    }
    // The next access reads what is really on disk.
    m_loadedPath.clear();
  }
  flock(lockFd, LOCK_UN);
  close(lockFd);
  return status;
}

}  // namespace PM
