// The view's keys are one table: the guide's table is what the table prints, and pm-run --help lists its
// rows as they are, so that neither can drift from the keys the window answers and its overlay shows.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "HostCliSupport.h"
#include "ViewKeyTable.h"

namespace PM::Test {
namespace {

// The first Markdown table after the heading `heading` in `text`, its lines as they are; "" when there
// is no such heading or table.
std::string TableAfter(const std::string& text, const std::string& heading) {
  const size_t at = text.find("\n" + heading + "\n");
  if (at == std::string::npos) return {};
  std::istringstream in(text.substr(at + heading.size() + 2));
  std::string table;
  for (std::string line; std::getline(in, line);) {
    if (line.rfind("### ", 0) == 0 || line.rfind("## ", 0) == 0) break;
    if (line.rfind("|", 0) == 0)
      table += line + "\n";
    else if (!table.empty())
      break;
  }
  return table;
}

TEST(HostViewKeys, TheGuidesTableIsTheOneTheViewPrints) {
  std::ifstream guide(PM_SOURCE_DIR "/docs/guide.md");
  ASSERT_TRUE(guide) << "docs/guide.md";
  std::stringstream text;
  text << guide.rdbuf();
  EXPECT_EQ(TableAfter(text.str(), "### The viewer's keys and options"), PMHost::ViewKeyMarkdown())
      << "docs/guide.md's table of the viewer's keys is not the table host/ViewKeyTable.cpp holds";
}

TEST(HostViewKeys, HelpListsEachRowAndTheOverlayTheSame) {
  const std::string markdown = PMHost::ViewKeyMarkdown();
  ASSERT_EQ(markdown.rfind("| key | what it does |\n|---|---|\n| Esc, q | close the window |\n", 0), 0u) << markdown;
  TempDir dir;
  const HostRun r = PmRun(dir, "--help");
  ASSERT_EQ(r.status, 0);
  // Under the --view option's text, each row on a line of its own, in the table's order.
  const std::string lines = PMHost::ViewKeyLines("                     ");
  EXPECT_NE(r.out.find("In the window:\n" + lines + "  --list "), std::string::npos) << r.out;
  // The overlay's text is the same rows without an indent or a last line break.
  const std::string overlay = PMHost::ViewKeyLines("", false);
  EXPECT_EQ(overlay.rfind("Esc, q   close the window\nSpace   back to the first view", 0), 0u) << overlay;
  EXPECT_EQ(overlay.substr(overlay.size() - 13), "\nwheel   zoom");
  EXPECT_EQ(CountOf(overlay, "\n") + 1, int(PMHost::ViewKeys().size()));
}

}  // namespace
}  // namespace PM::Test
