// pm-run's word during a long model load: one line on standard error, rewritten in place, once an import
// has taken more than a second (the reader's stage and the bytes it sent), cleared when it ends.
#pragma once

namespace PMHost {

// Installs the import progress handler when standard error is a terminal (and `quiet` is false); a
// log or a pipe gets no progress text.
void InstallLoadProgress(bool quiet);

}  // namespace PMHost
