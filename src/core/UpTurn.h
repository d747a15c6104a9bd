// UpTurn: the one turn that stands a model file's up axis along the engine's +Y, which the importer puts
// over every model and the viewer's --up and u key set again.
#pragma once

#include "core/Axis.h"
#include "core/Matrix4f.h"

namespace PM {

// The rotation that turns a file whose up axis is `up` and front axis `front` to the engine's way:
// `up` to +Y, `front` to +Z. Without a front square to `up` (none, or along it), the front a turn about
// one axis keeps: -Y for +Z up (the front of the packages that use Z-up), +Y for -Z up, else +Z. An up
// that is no axis counts as +Y. Row i is the image of the file's axis i (the engine's row vectors).
Matrix4f UpTurnMatrix(Axis up, Axis front = Axis::None);

}  // namespace PM
