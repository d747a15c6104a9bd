// How the OpenGL engine asks for, describes and scores pixel formats: the wanted descriptor of a render
// format, the one-line description the logs show, and the engine's own scoring chooser.
#pragma once

#include <string>

#include "engine/RenderEngineRecords.h"
#include "platform/PixelFormat.h"

namespace PM {

// Window, OpenGL and copy swaps (0x424), double buffered with a back buffer, RGBA with the format's bits.
PixelFormatDescriptor WantedPixelFormat(const RenderFormatInfo& format);
// "F:<flags hex><+|-> T:<type> C:<bits>-<r>/<g>/<b>/<a> A:... D:.. S:.. X:.. L:<layer>,<reserved>,<masks>".
std::string PixelFormatLine(const PixelFormatDescriptor& d);
// Every format as "[<index>] <line>" on the output log.
void LogPixelFormats(const PixelFormatList& list);
// Scores every format against the wanted one (see the quality bits in the source) and returns the best
// index strictly above 0x80000000, the platform's choice when none is, or a count below 1.
int OwnChoosePixelFormat(const PixelFormatList& list, const PixelFormatDescriptor& wanted);

}  // namespace PM
