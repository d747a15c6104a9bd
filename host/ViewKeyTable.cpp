#include "ViewKeyTable.h"

#include <algorithm>

namespace PMHost {

namespace {

constexpr ViewKey kViewKeys[] = {
    {"Esc, q", "close the window"},
    {"Space", "back to the first view (not when looking through the file's camera)"},
    {"w", "filled, wireframe, points, in turn"},
    {"b", "sides: as the file says, back faces culled, both drawn"},
    {"l",
     "the file's lights with a dim lamp, the lamp alone, the file's lights alone (no lights in the file: "
     "lighting on or off)"},
    {"t", "textures on or off"},
    {"k", "the skeleton's joints and bones drawn over the model, or not"},
    {"n, p", "the next or the previous clip (from none, the first or the last)"},
    {".", "pause or play"},
    {",", "while paused, one frame (1/60 s) on"},
    {"+ (or =), -", "play twice or half as fast (from 1/64 to 64 times)"},
    {"u", "the next up axis: y, z, x, -y, -z, -x (the transform \"ModelUp\" turns)"},
    {"s", "the statistics of the frame, or not"},
    {"c", "a picture of the window in the working folder: pm-run-1.png, pm-run-2.png, ..."},
    {"h, F1", "this list of keys in the window (its next page in a small one), or not"},
    {"left drag", "orbit about the model"},
    {"right or middle drag", "pan"},
    {"wheel", "zoom"},
};

}  // namespace

std::span<const ViewKey> ViewKeys() { return kViewKeys; }

std::string ViewKeyLines(const std::string& indent, bool lastBreak) {
  std::string text;
  for (const ViewKey& k : kViewKeys) text += indent + k.keys + "   " + k.does + "\n";
  if (!lastBreak) text.pop_back();
  return text;
}

std::vector<std::string> ViewKeyPages(int lines, int columns) {
  lines = std::max(lines, 2);
  columns = std::max(columns, 1);
  const auto height = [columns](const std::string& row) {
    return std::max(1, (int(row.size()) + columns - 1) / columns);
  };
  std::vector<std::string> rows;
  int total = 0;
  for (const ViewKey& k : kViewKeys) {
    rows.push_back(std::string(k.keys) + "   " + k.does);
    total += height(rows.back());
  }
  std::vector<std::string> pages(1);
  int used = 0;
  for (const std::string& row : rows) {
    // A line of each page is kept for the note that there is more.
    if (total > lines && used > 0 && used + height(row) > lines - 1) {
      pages.emplace_back();
      used = 0;
    }
    pages.back() += row + "\n";
    used += height(row);
  }
  for (size_t i = 0; i < pages.size(); ++i) {
    if (pages.size() > 1)
      pages[i] += (i + 1 < pages.size() ? "h   more keys (" : "h   hide the keys (") + std::to_string(i + 1) + " of " +
                  std::to_string(pages.size()) + ")\n";
    pages[i].pop_back();
  }
  return pages;
}

std::string ViewKeyMarkdown() {
  std::string table = "| key | what it does |\n|---|---|\n";
  for (const ViewKey& k : kViewKeys) table += std::string("| ") + k.keys + " | " + k.does + " |\n";
  return table;
}

}  // namespace PMHost
