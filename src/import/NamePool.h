// NamePool: the names an import gives its objects, each once and as a script can write them: every
// character but letters, digits and '_' becomes '_' (and a leading digit gets one in front), and a
// name the file repeats (or leaves empty) gets the first free "NAME_2", "NAME_3", ...
#pragma once

#include <string>
#include <unordered_map>
#include <unordered_set>

namespace PM::Import {

class NamePool {
 public:
  // `name` when it is free, else the first free numbered form; `fallback` stands for an empty name.
  std::string Take(const std::string& name, const char* fallback);

 private:
  std::unordered_set<std::string> m_taken;
  std::unordered_map<std::string, uint32_t> m_next;  // the next number to try for a base name
};

}  // namespace PM::Import
