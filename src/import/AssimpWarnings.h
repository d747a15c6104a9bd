// AssimpWarnings: what Assimp logs while it reads a file that the user must hear of although the file still
// gives a scene (a missing material library), caught from Assimp's logger for the scene's warnings.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace PM::Import {

// Catches Assimp's errors and warnings from construction to destruction (Assimp's logger is one for the
// process, and the reader reads one file).
class AssimpWarnings {
 public:
  AssimpWarnings();
  ~AssimpWarnings();
  AssimpWarnings(const AssimpWarnings&) = delete;
  AssimpWarnings& operator=(const AssimpWarnings&) = delete;

  // The sentences for the scene's warnings, each once. `refused` tells whether the asset root refused a
  // library the model names (as written), which was warned of as such: it is not called missing.
  std::vector<std::string> Sentences(const std::function<bool(const std::string&)>& refused = {}) const;

  // Called by the logger's stream with one message.
  void Add(const std::string& message);

 private:
  std::string m_library, m_fallback;  // the OBJ material library not found, and the fallback not found
};

}  // namespace PM::Import
