#include "import/AssimpWarnings.h"

#include <assimp/DefaultLogger.hpp>
#include <assimp/LogStream.hpp>

namespace PM::Import {

namespace {

// Assimp's OBJ reader: the library the file names, then the model's own name with ".mtl" tried instead.
constexpr const char* kMissingLibrary = "OBJ: Unable to locate material file ";
constexpr const char* kMissingFallback = "OBJ: Unable to locate fallback material file ";

class Stream : public Assimp::LogStream {
 public:
  explicit Stream(AssimpWarnings& to) : m_to(to) {}
  void write(const char* message) override { m_to.Add(message ? message : ""); }

 private:
  AssimpWarnings& m_to;
};

// The name after `prefix` in `message`, up to the line's end; "" when the prefix is not there.
std::string After(const std::string& message, const char* prefix) {
  const size_t at = message.find(prefix);
  if (at == std::string::npos) return {};
  std::string name = message.substr(at + std::char_traits<char>::length(prefix));
  while (!name.empty() && (name.back() == '\n' || name.back() == '\r')) name.pop_back();
  return name;
}

}  // namespace

AssimpWarnings::AssimpWarnings() {
  Assimp::DefaultLogger::create("", Assimp::Logger::NORMAL, 0);
  Assimp::DefaultLogger::get()->attachStream(new Stream(*this), Assimp::Logger::Err | Assimp::Logger::Warn);
}

AssimpWarnings::~AssimpWarnings() { Assimp::DefaultLogger::kill(); }

void AssimpWarnings::Add(const std::string& message) {
  if (const std::string name = After(message, kMissingFallback); !name.empty())
    m_fallback = name;
  else if (const std::string library = After(message, kMissingLibrary); !library.empty() && m_library.empty())
    m_library = library;
}

std::vector<std::string> AssimpWarnings::Sentences(const std::function<bool(const std::string&)>& refused) const {
  if (m_library.empty()) return {};
  if (refused && refused(m_library)) {
    if (m_fallback.empty())
      return {"the material library \"" + m_library +
              "\" it names is not read; the model's own \".mtl\" was read instead"};
    return {"the material library \"" + m_library + "\" it names is not read (and \"" + m_fallback +
            "\" is missing); its faces take the default material"};
  }
  if (m_fallback.empty())
    return {"the material library \"" + m_library +
            "\" it names is missing; the model's own \".mtl\" was read instead"};
  return {"the material library \"" + m_library + "\" it names is missing (and so is \"" + m_fallback +
          "\"); its faces take the default material"};
}

}  // namespace PM::Import
