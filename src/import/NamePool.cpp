#include "import/NamePool.h"

namespace PM::Import {

std::string NamePool::Take(const std::string& name, const char* fallback) {
  const std::string base = name.empty() ? std::string(fallback) : name;
  if (m_taken.insert(base).second) return base;
  // Each base remembers where its numbering stopped, so n copies of one name cost n tries in all; a
  // numbered form the file itself uses is skipped.
  uint32_t& next = m_next.try_emplace(base, 2).first->second;
  for (;; ++next) {
    std::string candidate = base + "_" + std::to_string(next);
    if (m_taken.insert(candidate).second) {
      ++next;
      return candidate;
    }
  }
}

}  // namespace PM::Import
