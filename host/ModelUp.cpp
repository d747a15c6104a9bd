#include "ModelUp.h"

#include <pelmora/core/Log.h>

namespace PMHost {

// A stand-in until the import carries its up transform: the model stays as the file has it.
bool SetModelUp(PM::ScriptObject*, const std::string& axis) {
  PM::LogWarn("pm-run: the model's up axis cannot be set to \"", axis.c_str(), "\": it has no up transform.");
  return false;
}

std::string ModelUpAxis(PM::ScriptObject*) { return "y"; }

}  // namespace PMHost
