// The up turn of an imported model: ImportModel hands back a transform named "ModelUp" (numbered when the
// name is taken) over the file's root, which turns the file's up axis to the engine's +Y; the viewer's
// --up and its key change it.
#pragma once

#include <string>

#include <pelmora/script/object/ScriptObject.h>

namespace PMHost {

// Turns the model so that the file axis `axis` ("x", "y", "z", "-x", "-y", "-z") points up (+Y): sets the
// rotation of `importRoot`'s STransform. False, with a logged Error naming the cause, for another word or
// when `importRoot` is not an imported model's up turn.
bool SetModelUp(PM::ScriptObject* importRoot, const std::string& axis);

// The file axis the up turn of `importRoot` turns to +Y, as SetModelUp takes it; "" when `importRoot` is
// not an up turn or its rotation takes no file axis to +Y (a script set another one).
std::string ModelUpAxis(PM::ScriptObject* importRoot);

}  // namespace PMHost
