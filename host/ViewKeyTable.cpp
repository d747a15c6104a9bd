#include "ViewKeyTable.h"

namespace PMHost {

namespace {

constexpr ViewKey kViewKeys[] = {
    {"Esc, q", "close the window"},
    {"Space", "back to the first view (not when looking through the file's camera)"},
    {"w", "filled, wireframe, points, in turn"},
    {"b", "cull back faces or draw both sides"},
    {"l", "lighting on or off"},
    {"t", "textures on or off"},
    {"k", "the skeleton's joints and bones drawn over the model, or not"},
    {"n, p", "the next or the previous clip (from none, the first or the last)"},
    {".", "pause or play"},
    {",", "while paused, one frame (1/60 s) on"},
    {"+ (or =), -", "play twice or half as fast (from 1/64 to 64 times)"},
    {"u", "the next up axis: y, z, x, -y, -z, -x (the transform \"ModelUp\" turns)"},
    {"s", "the statistics of the frame, or not"},
    {"h, F1", "this list of keys in the window, or not"},
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

std::string ViewKeyMarkdown() {
  std::string table = "| key | what it does |\n|---|---|\n";
  for (const ViewKey& k : kViewKeys) table += std::string("| ") + k.keys + " | " + k.does + " |\n";
  return table;
}

}  // namespace PMHost
