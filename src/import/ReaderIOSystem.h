// ReaderIOSystem: the file system as Assimp sees it in the reader: reading only, beneath the model's asset
// root only (AssetRoot), so that a path in a model that leaves the root is refused before it is opened.
#pragma once

#include <assimp/DefaultIOSystem.h>

#include <string>

#include "import/AssetRoot.h"

namespace PM::Import {

class ReaderIOSystem : public Assimp::DefaultIOSystem {
 public:
  // For reading `model` (the path Assimp is given).
  ReaderIOSystem(AssetRoot& root, const std::string& model);

  bool Exists(const char* file) const override;
  Assimp::IOStream* Open(const char* file, const char* mode) override;

 private:
  // Resolves `file` as AssetRoot does, warning of a refusal unless it is a guess or probe of Assimp's.
  std::string Resolve(const std::string& file) const;

  AssetRoot& m_root;
  std::string m_folder;  // the model's, as Assimp spells it
  bool m_md3 = false;
};

}  // namespace PM::Import
