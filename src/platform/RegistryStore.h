// The settings registry: keys of named string, number and binary values, kept in one text file that
// every process of the user shares. Changes are written through at once, atomically (a temporary
// file renamed over the old one, under a lock file), so a crash never leaves the file half-written.
// The file format is described in docs/formats.md.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace PM {

enum RegistryRoot : uint32_t {
  kRegistryClassesRoot = 0x80000000u,
  kRegistryCurrentUser = 0x80000001u,
  kRegistryLocalMachine = 0x80000002u,
  kRegistryUsers = 0x80000003u,
};

enum RegistryType : uint32_t {
  kRegistrySz = 1,      // text
  kRegistryBinary = 3,  // bytes
  kRegistryDword = 4,   // 32-bit number
};

// Access masks of an open key.
constexpr uint32_t kKeyQueryValue = 0x0001;
constexpr uint32_t kKeySetValue = 0x0002;
constexpr uint32_t kKeyCreateSubKey = 0x0004;
constexpr uint32_t kKeyRead = 0x20019;
constexpr uint32_t kKeyWrite = 0x20006;
constexpr uint32_t kKeyAllAccess = 0xF003F;

class RegistryStore {
 public:
  struct Value {
    uint32_t type = kRegistrySz;
    std::string data;  // text without its NUL, 4 little-endian bytes, or the bytes
  };
  struct Key {
    std::string path;  // root word and subkey: "HKEY_CURRENT_USER\Software\Pelmora\Engine"
    std::vector<std::pair<std::string, Value>> values;
  };
  using Keys = std::vector<Key>;

  // A store on a fixed file; an empty path follows the environment at each access (DefaultPath).
  explicit RegistryStore(std::string path = {});
  // The store every RegistryKey uses.
  static RegistryStore& Process();
  // $PM_REGISTRY_FILE, else $XDG_CONFIG_HOME/Pelmora/registry.ini, else ~/.config/Pelmora/registry.ini.
  static std::string DefaultPath();
  std::string Path() const;

  // Statuses are 0 or an errno value: ENOENT for a missing key or value, EINVAL for a bad name.
  bool KeyExists(uint32_t root, std::string_view subkey);
  int CreateKey(uint32_t root, std::string_view subkey);
  int GetValue(uint32_t root, std::string_view subkey, std::string_view name, Value& out);
  int SetValue(uint32_t root, std::string_view subkey, std::string_view name, const Value& value);

  // Reads file text: 0 with the keys, or the 1-based number of the first damaged line with no keys.
  static int Parse(std::string_view text, Keys& keys);
  static std::string Format(const Keys& keys);
  // The stored path of a key: the root's word, then the subkey's parts joined by '\'. Empty for an
  // unknown root or a subkey with control characters.
  static std::string KeyPath(uint32_t root, std::string_view subkey);

 private:
  struct FileStamp {
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = -1;
    int64_t modified = 0;
    bool operator==(const FileStamp&) const = default;
  };

  void Refresh(const std::string& path, bool force);
  int Modify(const std::function<bool(Keys&)>& change);
  bool MoveDamagedAside(const std::string& path);

  mutable std::mutex m_mutex;
  std::string m_fixedPath;
  std::string m_loadedPath;
  FileStamp m_stamp;
  Keys m_keys;
  bool m_damaged = false;  // the file on disk is damaged and is read as empty
  int m_unusable = 0;      // why the file on disk can't be read (a FIFO, device, folder, ...); 0 when it can
};

}  // namespace PM
