// The up turn of an imported model: ImportModel hands back a transform named "ModelUp" (numbered when the
// name is taken) over the file's root, which turns the file's up axis to the engine's +Y; the viewer's
// --up and its key change it.
#pragma once

#include <pelmora/core/Axis.h>
#include <pelmora/script/object/ScriptObject.h>

namespace PMHost {

// Turns the model so that the file axis `axis` points up (+Y), as the import turns it (UpTurnMatrix): sets
// the rotation of `importRoot`'s STransform. False, with a logged Error naming the cause, for no axis or
// when `importRoot` is not an imported model's up turn.
bool SetModelUp(PM::ScriptObject* importRoot, PM::Axis axis);

// The file axis the up turn of `importRoot` turns to +Y, as SetModelUp takes it; Axis::None when
// `importRoot` is not an up turn or its rotation takes no file axis to +Y (a script set another one).
PM::Axis ModelUpAxis(PM::ScriptObject* importRoot);

}  // namespace PMHost
