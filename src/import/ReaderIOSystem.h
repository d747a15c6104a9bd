// ReaderIOSystem: the file system as Assimp sees it in the reader: reading only, beneath the model's asset
// root only (AssetRoot), so that a path in a model that leaves the root is refused before it is opened.
#pragma once

#include <assimp/DefaultIOSystem.h>

#include "import/AssetRoot.h"

namespace PM::Import {

class ReaderIOSystem : public Assimp::DefaultIOSystem {
 public:
  explicit ReaderIOSystem(AssetRoot& root) : m_root(root) {}

  bool Exists(const char* file) const override;
  Assimp::IOStream* Open(const char* file, const char* mode) override;

 private:
  AssetRoot& m_root;
};

}  // namespace PM::Import
