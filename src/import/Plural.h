// Plural: a count with its noun as the importer's messages say it ("1 clip", "3 clips").
#pragma once

#include <cstdint>
#include <string>

namespace PM::Import {

// `n` followed by `one` when it is 1, else by `more` (each begins with its own space).
inline std::string Plural(uint64_t n, const char* one, const char* more) {
  return std::to_string(n) + (n == 1 ? one : more);
}

}  // namespace PM::Import
