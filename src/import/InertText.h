// The importer's name for the one escaping of text from files (platform/InertText.h), which its log
// lines, the reader's notes and the scene's names go through.
#pragma once

#include "platform/InertText.h"

namespace PM::Import {

using PM::InertText;

}  // namespace PM::Import
