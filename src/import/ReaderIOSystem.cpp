#include "import/ReaderIOSystem.h"

#include <assimp/DefaultIOStream.h>

#include <algorithm>
#include <cstring>

namespace PM::Import {

namespace {

// DefaultIOStream over a file we opened ourselves (its constructor is for its friends only).
class FileStream : public Assimp::DefaultIOStream {
 public:
  FileStream(FILE* file, const std::string& name) : DefaultIOStream(file, name) {}
};

bool EndsWithIgnoringCase(const std::string& text, const char* end) {
  const size_t n = std::strlen(end);
  return text.size() >= n && std::equal(text.end() - static_cast<std::ptrdiff_t>(n), text.end(), end,
                                        [](char a, char b) { return (a >= 'A' && a <= 'Z' ? a - 'A' + 'a' : a) == b; });
}

}  // namespace

ReaderIOSystem::ReaderIOSystem(AssetRoot& root, const std::string& model)
    : m_root(root), m_folder(FolderOf(model)), m_md3(EndsWithIgnoringCase(model, ".md3")) {}

std::string ReaderIOSystem::Resolve(const std::string& file) const {
  Refusal why = Refusal::kNone;
  std::string resolved = m_root.Check(file, PathUse::kModel, why);
  // Not warned: Assimp's guesses at a name it could not open (its file-system filter tries the model's
  // folder, a second separator, then pieces of the name, some cut mid-word), and the Quake 3 shader file
  // its MD3 reader looks for in the game's "scripts" folder above the model's, an optional look-up the
  // model is read without.
  auto begins = [&](const std::string& start) { return file.compare(0, start.size(), start) == 0; };
  const bool guess = begins(m_folder + "//");
  const bool shaderProbe = m_md3 && begins(m_folder + "/../../../scripts/");
  if (!guess && !shaderProbe) m_root.Warn(file, why, PathUse::kModel);
  return resolved;
}

bool ReaderIOSystem::Exists(const char* file) const { return file && !Resolve(file).empty(); }

Assimp::IOStream* ReaderIOSystem::Open(const char* file, const char* mode) {
  // Nothing is written: a mode other than reading is refused outright.
  if (!file || !mode || std::strpbrk(mode, "wa+")) return nullptr;
  if (Resolve(file).empty()) return nullptr;
  FILE* f = m_root.Open(file);
  return f ? new FileStream(f, file) : nullptr;
}

}  // namespace PM::Import
