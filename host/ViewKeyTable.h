// ViewKeyTable: the keys and mouse of pm-run's model view with what each does, the one list that the
// window's key overlay (h, F1), pm-run --help and the guide's table are all printed from.
#pragma once

#include <span>
#include <string>
#include <vector>

namespace PMHost {

struct ViewKey {
  const char* keys;  // as the user presses them: "n, p", "left drag"
  const char* does;
};

// The rows, in the order they are listed.
std::span<const ViewKey> ViewKeys();

// One line a row, "KEYS   WHAT IT DOES", each after `indent`; the last ends without a line break when
// `lastBreak` is false (the overlay's text).
std::string ViewKeyLines(const std::string& indent, bool lastBreak = true);

// The rows as the overlay's pages of at most `lines` lines of `columns` characters (a longer row taking
// as many lines as it wraps to): one page, as ViewKeyLines, when all fit; else each ends with a line that
// says h shows the next, and which page it is.
std::vector<std::string> ViewKeyPages(int lines, int columns);

// The rows as the guide's Markdown table, its header first.
std::string ViewKeyMarkdown();

}  // namespace PMHost
