// A key of the settings registry with its string, number and binary values.
// With XPREGVERBOSE set in the environment, every access is traced on the output log.
#pragma once

#include <cstdint>

#include "core/String.h"
#include "platform/RegistryStore.h"

namespace PM {

// The engine's own key; OpenGL switches live in "\OpenGL" below it.
inline constexpr const char* kRegistryEngineKey = "Software\\Pelmora\\Engine";

class RegistryKey {
 public:
  // Opens nothing yet.
  explicit RegistryKey(uint32_t root = kRegistryCurrentUser, uint32_t access = kKeyAllAccess)
      : m_root(root), m_access(access) {}
  // Changes are on disk as soon as they are made; the key is closed.
  ~RegistryKey() { CloseKey(); }
  RegistryKey(const RegistryKey&) = delete;
  RegistryKey& operator=(const RegistryKey&) = delete;

  // Open an existing key, or create it (with the keys above it), under the root. On success the
  // previous key is closed; on failure it stays open.
  bool OpenKey(const char* subkey);
  bool CreateKey(const char* subkey);
  void CloseKey();
  bool IsOpen() const { return m_key != nullptr; }

  // The default when the value is missing, of another type, or no key is open.
  void GetValueDataString(String& out, const char* name, const char* defaultValue) const;
  uint32_t GetValueDataNumber(const char* name, uint32_t defaultValue) const;
  // Copies up to `capacity` bytes and returns the value's full size; -1 when it is missing.
  int GetValueDataBinary(const char* name, void* buffer, int capacity) const;

  // Each returns 0 or an errno status (EBADF when no key is open, EACCES without write access).
  long SetValueDataString(const char* name, const char* value);
  long SetValueDataNumber(const char* name, uint32_t value);
  long SetValueDataBinary(const char* name, const void* data, int size);

 private:
  struct OpenedKey;
  bool Open(const char* subkey, bool create);
  bool Read(const char* name, uint32_t type, RegistryStore::Value& out) const;
  long Write(const char* name, const RegistryStore::Value& value);

  OpenedKey* m_key = nullptr;  // null when no key is open
  uint32_t m_root;
  uint32_t m_access;
};

}  // namespace PM
