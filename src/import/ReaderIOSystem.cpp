#include "import/ReaderIOSystem.h"

#include <assimp/DefaultIOStream.h>

#include <cstring>

namespace PM::Import {

namespace {

// DefaultIOStream over a file we opened ourselves (its constructor is for its friends only).
class FileStream : public Assimp::DefaultIOStream {
 public:
  FileStream(FILE* file, const std::string& name) : DefaultIOStream(file, name) {}
};

}  // namespace

bool ReaderIOSystem::Exists(const char* file) const { return file && m_root.Exists(file); }

Assimp::IOStream* ReaderIOSystem::Open(const char* file, const char* mode) {
  // Nothing is written: a mode other than reading is refused outright.
  if (!file || !mode || std::strpbrk(mode, "wa+")) return nullptr;
  FILE* f = m_root.Open(file);
  return f ? new FileStream(f, file) : nullptr;
}

}  // namespace PM::Import
