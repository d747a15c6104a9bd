// The registry file parser: any text parses or is damage, and what it writes reads back the same.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "platform/RegistryStore.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  PM::RegistryStore::Keys keys;
  if (PM::RegistryStore::Parse(std::string_view(reinterpret_cast<const char*>(data), size), keys) != 0) return 0;
  std::string written = PM::RegistryStore::Format(keys);
  PM::RegistryStore::Keys again;
  if (PM::RegistryStore::Parse(written, again) != 0 || PM::RegistryStore::Format(again) != written) abort();
  return 0;
}
