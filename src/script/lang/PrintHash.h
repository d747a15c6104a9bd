// PrintHash: writes a hash of boxed script values in the language's hash-literal form,
// "{ .key value; .key value; }", for the print statements and the host.
#pragma once

#include "core/NameHash.h"
#include "core/StreamPipe.h"

namespace PM {

// Entries in bucket order; "{}" for an empty hash. Values other than Bool, String, numbers, vectors,
// Matrix4f and nested hashes print as "<<Unknown>>" with a warning.
void PrintHash(StreamPipeRef& out, const NameHash& hash);

}  // namespace PM
