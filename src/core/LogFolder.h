// Where the log files lie: the folder named by PM_LOG_DIR, else the user's state folder
// ($XDG_STATE_HOME/pelmora, by default ~/.local/state/pelmora), never the working folder unless
// PM_LOG_DIR names it.
#pragma once

#include <string>

namespace PM {

struct LogFolder {
  std::string path;    // empty when no folder can be found (none of the variables is set)
  bool named = false;  // PM_LOG_DIR named it
  // The home or state folder the path lies in, which must be there already: a missing home is not made
  // (HOME=/nonexistent). Empty for a named folder, which is made whole.
  std::string base;
};

// Read from the environment at each call.
LogFolder FindLogFolder();

// Makes `path` and the folders above it that are missing (new ones readable by the user only), only below
// `base` when one is given (`path` starts with it). 0 when `path` is a folder afterwards, else why not:
// ENOENT for a base that is not there, the errno of the first step that failed, or ENOTDIR when something
// else stands there.
int MakeLogFolder(const std::string& path, const std::string& base = {});

}  // namespace PM
