// AssimpSetup: how the reader program opens a file with Assimp (its post-processing and settings), in one
// place, so that a check against Assimp itself opens files the same way.
#pragma once

namespace Assimp {
class Importer;
}

namespace PM::Import {

// The post-processing steps of an import (see docs/formats.md, "Import scene stream"), validation among
// them as Assimp alone runs it; the reader runs the validation as a step of its own, after mending what
// the file plainly means (SceneMending), and the rest after it.
unsigned ReaderPostProcessing();
// Settings the steps read: which vertex components are dropped before vertices are joined.
void ConfigureImporter(Assimp::Importer& importer);

}  // namespace PM::Import
