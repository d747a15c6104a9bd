#include "import/NamePool.h"

namespace PM::Import {

namespace {

// A name as a script can write it: letters, digits and '_', not starting with a digit.
std::string ScriptName(const std::string& name) {
  std::string out = name;
  for (char& c : out)
    if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_')) c = '_';
  if (!out.empty() && out[0] >= '0' && out[0] <= '9') out.insert(out.begin(), '_');
  return out;
}

}  // namespace

std::string NamePool::Take(const std::string& name, const char* fallback) {
  std::string base = name.empty() ? std::string(fallback) : ScriptName(name);
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
