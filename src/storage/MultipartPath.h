// Multipart paths: "[a|b]" groups in a name stand for alternatives, so one name names an ordered
// list of candidate files ("wall.[png|jp2]" is "wall.png", then "wall.jp2"). docs/formats.md has the rule.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace PM {

constexpr int kMaxMultipartCandidates = 64;

// The candidates of `path` in trial order: every choice of one alternative per group, the leftmost
// group changing slowest. A "[" without its "]" is an ordinary character, as is everything outside
// the groups. False (and no candidates) when there would be more than kMaxMultipartCandidates.
bool ExpandMultipartPath(std::string_view path, std::vector<std::string>& out);

}  // namespace PM
