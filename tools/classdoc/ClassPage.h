// The engine classes page (docs/classes.md): every class of the live class tables with its base, id and
// purpose, its own members (type, default, read-only) and the enum types it owns, and with VertexData
// the usage words of its streams. The library must be started (its classes defined) when it is written.
#pragma once

#include <map>
#include <string>
#include <vector>

namespace PM::ClassDoc {

// The page in Markdown. `purposes` maps class names to their one line; classes it lacks are added to
// `unexplained` (and shown without a line).
std::string WriteClassPage(const std::map<std::string, std::string>& purposes, std::vector<std::string>& unexplained);

}  // namespace PM::ClassDoc
