// Start-up and shutdown of the script object model.
#pragma once

namespace PM {

// Builds the master class table, gives the nil object its class, and defines the built-in classes.
// The engine's class tables come next, then BuildNameHashes (ClassDatabase.h).
void InitScriptObjectModel();
// Frees the master class table; the nil object keeps answering through stubs.
void UninitScriptObjectModel();

}  // namespace PM
