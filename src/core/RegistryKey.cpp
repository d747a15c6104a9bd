#include "core/RegistryKey.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>

#include "core/Log.h"

namespace PM {

struct RegistryKey::OpenedKey {
  std::string subkey;
};

namespace {

bool Verbose() {
  const char* v = getenv("XPREGVERBOSE");
  return v != nullptr;
}

const char* Text(const char* s) { return s ? s : ""; }

}  // namespace

bool RegistryKey::Open(const char* subkey, bool create) {
  const char* op = create ? "RegistryKey::CreateKey(" : "RegistryKey::OpenKey(";
  RegistryStore& store = RegistryStore::Process();
  int status;
  if (create) {
    status = (m_access & kKeyCreateSubKey) ? store.CreateKey(m_root, Text(subkey)) : EACCES;
  } else {
    status = store.KeyExists(m_root, Text(subkey)) ? 0 : ENOENT;
  }
  if (Verbose()) {
    Log(LogOutPipe(), kLevelInfo, op, Text(subkey), status == 0 ? "): ok." : "): failed.");
  }
  if (status != 0) return false;
  CloseKey();
  m_key = new OpenedKey{Text(subkey)};
  return true;
}

bool RegistryKey::OpenKey(const char* subkey) { return Open(subkey, false); }
bool RegistryKey::CreateKey(const char* subkey) { return Open(subkey, true); }

void RegistryKey::CloseKey() {
  delete m_key;
  m_key = nullptr;
}

bool RegistryKey::Read(const char* name, uint32_t type, RegistryStore::Value& out) const {
  bool found = m_key && (m_access & kKeyQueryValue) &&
               RegistryStore::Process().GetValue(m_root, m_key->subkey, Text(name), out) == 0 && out.type == type;
  if (Verbose()) {
    Log(LogOutPipe(), kLevelInfo, "RegistryKey: read ", m_key ? m_key->subkey.c_str() : "(no key)", "\\", Text(name),
        found ? ": found." : ": missing.");
  }
  return found;
}

long RegistryKey::Write(const char* name, const RegistryStore::Value& value) {
  long status = EBADF;
  if (m_key) {
    status = (m_access & kKeySetValue) ? RegistryStore::Process().SetValue(m_root, m_key->subkey, Text(name), value)
                                       : EACCES;
  }
  if (Verbose()) {
    Log(LogOutPipe(), kLevelInfo, "RegistryKey: write ", m_key ? m_key->subkey.c_str() : "(no key)", "\\", Text(name),
        status == 0 ? ": ok." : ": failed.");
  }
  return status;
}

void RegistryKey::GetValueDataString(String& out, const char* name, const char* defaultValue) const {
  RegistryStore::Value v;
  out = Read(name, kRegistrySz, v) ? String(v.data.c_str()) : String(defaultValue);
}

uint32_t RegistryKey::GetValueDataNumber(const char* name, uint32_t defaultValue) const {
  RegistryStore::Value v;
  if (!Read(name, kRegistryDword, v) || v.data.size() != 4) return defaultValue;
  uint32_t n = 0;
  for (int i = 0; i < 4; ++i) n |= uint32_t(uint8_t(v.data[i])) << (8 * i);
  return n;
}

int RegistryKey::GetValueDataBinary(const char* name, void* buffer, int capacity) const {
  RegistryStore::Value v;
  if (!Read(name, kRegistryBinary, v)) return -1;
  size_t copy = buffer && capacity > 0 ? std::min(v.data.size(), size_t(capacity)) : 0;
  if (copy) memcpy(buffer, v.data.data(), copy);
  return int(v.data.size());
}

long RegistryKey::SetValueDataString(const char* name, const char* value) {
  return Write(name, {kRegistrySz, Text(value)});
}

long RegistryKey::SetValueDataNumber(const char* name, uint32_t value) {
  std::string bytes(4, '\0');
  for (int i = 0; i < 4; ++i) bytes[i] = char((value >> (8 * i)) & 0xFF);
  return Write(name, {kRegistryDword, bytes});
}

long RegistryKey::SetValueDataBinary(const char* name, const void* data, int size) {
  if (size < 0 || (size > 0 && data == nullptr)) return EINVAL;
  return Write(name, {kRegistryBinary, std::string(static_cast<const char*>(data), size_t(size))});
}

}  // namespace PM
