// pm-run's word during a long model load: one line on standard error, rewritten in place, once an import
// has taken more than a second (the reader's stage and the bytes it sent), cleared when it ends.
#pragma once

#include <string>

namespace PMHost {

// `line` cut to fit `columns` terminal columns without wrapping (the last column left free, no UTF-8
// character cut); whole when `columns` is 0 (unknown).
std::string FitProgressLine(const std::string& line, int columns);

// Installs the import progress handler when standard error is a terminal (and `quiet` is false); a
// log or a pipe gets no progress text.
void InstallLoadProgress(bool quiet);

}  // namespace PMHost
