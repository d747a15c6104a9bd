#include "classes/EngineClassRegistry.h"

#include <array>

namespace PM {

static std::array<DefineClassFn, 512>& Entries() {
  static std::array<DefineClassFn, 512> entries{};  // filled before main, read-only afterwards
  return entries;
}

bool AddEngineClassEntry(uint32_t classIndex, DefineClassFn define) {
  classIndex &= 0xFFF;
  if (classIndex >= Entries().size()) return false;
  Entries()[classIndex] = define;
  return true;
}

DefineClassFn FindEngineClassEntry(uint32_t classIndex) {
  classIndex &= 0xFFF;
  return classIndex < Entries().size() ? Entries()[classIndex] : nullptr;
}

std::vector<uint32_t> EngineClassEntryIndexes() {
  std::vector<uint32_t> indexes;
  for (uint32_t i = 0; i < Entries().size(); ++i) {
    if (Entries()[i]) indexes.push_back(i);
  }
  return indexes;
}

}  // namespace PM
