// AssimpSetup: how the reader program opens a file with Assimp (its post-processing and settings), in one
// place, so that a check against Assimp itself opens files the same way.
#pragma once

namespace Assimp {
class Importer;
}

namespace PM::Import {

// The post-processing steps ReadFile is asked for (see docs/formats.md, "Import scene stream").
unsigned ReaderPostProcessing();
// Settings the steps read: which vertex components are dropped before vertices are joined.
void ConfigureImporter(Assimp::Importer& importer);

}  // namespace PM::Import
