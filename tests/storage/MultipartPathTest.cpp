// The multipart expansion rule of docs/formats.md.
#include <gtest/gtest.h>

#include "storage/MultipartPath.h"

namespace PM {
namespace {

using V = std::vector<std::string>;

V Expand(const char* path) {
  V out;
  EXPECT_TRUE(ExpandMultipartPath(path, out)) << path;
  return out;
}

TEST(MultipartPathTest, ExpandsInDocumentedOrder) {
  EXPECT_EQ(Expand("plain/name.txt"), V{"plain/name.txt"});
  EXPECT_EQ(Expand("s/x.[bsb]"), V{"s/x.bsb"});  // a script name yields its compiled name only
  EXPECT_EQ(Expand("s/x.[bhb]"), V{"s/x.bhb"});
  EXPECT_EQ(Expand("t/wall.[png|jp2]"), (V{"t/wall.png", "t/wall.jp2"}));
  EXPECT_EQ(Expand("[data.pmk/|]t/a.png"), (V{"data.pmk/t/a.png", "t/a.png"}));
  EXPECT_EQ(Expand("[a|b]/[1|2]"), (V{"a/1", "a/2", "b/1", "b/2"}));  // leftmost group changes slowest
  EXPECT_EQ(Expand("x[]y"), V{"xy"});
  EXPECT_EQ(Expand("x[|.cache].bmg"), (V{"x.bmg", "x.cache.bmg"}));
  EXPECT_EQ(Expand("open[ended|x"), V{"open[ended|x"});  // no "]": literal
  EXPECT_EQ(Expand("a]b|c"), V{"a]b|c"});
  EXPECT_EQ(Expand(""), V{""});
}

TEST(MultipartPathTest, RefusesTooManyCandidates) {
  V out;
  EXPECT_TRUE(ExpandMultipartPath("[1|2|3|4][1|2|3|4][1|2|3|4]", out));
  EXPECT_EQ(out.size(), 64u);
  EXPECT_FALSE(ExpandMultipartPath("[1|2|3|4][1|2|3|4][1|2|3|4][1|2]", out));
  EXPECT_TRUE(out.empty());
}

}  // namespace
}  // namespace PM
