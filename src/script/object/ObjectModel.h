// Start-up and shutdown of the script object model. DLLInitialize runs these through its stage hooks
// (master tables, built-in classes, member-name hashes, class-name hash); tests may call them directly.
#pragma once

namespace PM {

// Builds the master class table, gives the nil object its class, and defines the built-in classes.
// The engine's class tables come next, then BuildNameHashes (ClassDatabase.h).
void InitScriptObjectModel();
// Defines the built-in classes and gives nil its class, once; other stage-2 hooks that build on the
// built-in classes call it first, since hooks of one stage run in no fixed order across files.
void InitBuiltinClasses();
// Frees the master class table and the name hashes; the nil object keeps answering through stubs.
void UninitScriptObjectModel();

}  // namespace PM
