// ImportModel: the script function that brings a model file in through the importer module and answers
// the root node of what it built; hosts enter it with one call.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "scene/ImportModule.h"

namespace PM {

class ScriptNamespace;

// Its entry in the global function table (the built-in and host functions' range).
constexpr uint32_t kFunctionImportModel = 7;

// Enters ImportModel('FILE'[, 'ROOT'[, 'TEXTURES']]) in the global function table (again: nothing new).
// Each import's named objects (its transform nodes and its geometry descriptions) are registered in
// `names`, when given, so that scripts find them; a name the namespace already holds gets the first free
// "NAME_2", "NAME_3", ... `names` is held weakly. A relative FILE is read from the running script's folder.
// ROOT is the folder the model's reader may read beneath (by default the model's own folder, or what
// SetImportAssetRoot set; empty, the model's own). TEXTURES is the texture path: folders separated by ":"
// that a texture is looked for in by its file name after the model's own (by default what
// SetImportTexturePath set). False (logged) when another function holds the entry.
bool RegisterImportModel(ScriptNamespace* names);

// The asset root of the imports that name none (null or empty: each model's own folder).
void SetImportAssetRoot(const char* folder);
// The materials of the last ImportModel call whose texture was not found (empty after a failed import):
// what a host tells its user beside the material, since such a material carries no texture to show it.
MissingTextures LastImportMissingTextures();

// The memory budget of the imports' reader in bytes (0: from the machine and the size of what it reads).
void SetImportReaderMemory(uint64_t bytes);

// The texture path of the imports that name none: folders a texture is looked for in by its file name, in
// order, after the model's own.
void SetImportTexturePath(const std::vector<std::string>& folders);

}  // namespace PM
