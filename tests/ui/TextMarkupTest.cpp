// Reading markup tags: kinds by prefix, parameters anywhere in the tag, tiles by index or name, and
// values that do not scan.
#include <gtest/gtest.h>

#include <cstring>

#include "ui/WTextMarkup.h"

namespace PM::Test {
namespace {

TextTag Read(const char* text, int32_t begin = 0) {
  return ReadTextTag(text, begin, int32_t(std::strlen(text)), {0.25f, 0.5f, 0.75f, 1});
}

TEST(TextMarkup, TagsAndTheirExtents) {
  struct Case {
    const char* text;
    TextTagKind kind;
    int32_t end;
    const char* name;
  } cases[] = {
      {"{Img=heart}x", TextTagKind::Image, 11, "heart"},
      {"{Key=Esc;Dim=(4,5)}", TextTagKind::Key, 19, "Esc"},
      {"{Button=OK}", TextTagKind::Button, 11, "OK"},
      {"{Button;Icon=2}", TextTagKind::Button, 15, ""},
      {"{Mouse=L}", TextTagKind::Mouse, 9, ""},
      {"{Scale=2}", TextTagKind::Scale, 9, ""},
      {"{Color=(1,0,0,1)}", TextTagKind::Color, 17, ""},
      {"{Color}", TextTagKind::ColorReset, 7, ""},
      {"{Colour}", TextTagKind::Other, 8, ""},
      {"{img=3}", TextTagKind::Other, 7, ""},      // case matters
      {"{Key=open", TextTagKind::Key, 9, "open"},  // unterminated: to the end
      {"{}", TextTagKind::Other, 2, ""},
      {"{", TextTagKind::Other, 1, ""},
  };
  for (const Case& c : cases) {
    const TextTag t = Read(c.text);
    EXPECT_EQ(t.kind, c.kind) << c.text;
    EXPECT_EQ(t.end, c.end) << c.text;
    EXPECT_EQ(t.name, c.name) << c.text;
    EXPECT_FALSE(t.syntaxError) << c.text;
  }
  EXPECT_EQ(Read("ab{Scale=3}", 2).end, 11);
}

TEST(TextMarkup, TilesByIndexOrName) {
  struct Case {
    const char* text;
    int32_t tile;
    const char* name;
    int32_t iconTile;
    const char* iconName;
  } cases[] = {
      {"{Img=3}", 3, "", -1, ""},
      {"{Img=12;Dim=(1,1)}", 12, "", -1, ""},
      {"{Img=0}", 0, "", -1, ""},
      {"{Img=x}", -1, "x", -1, ""},
      {"{Img=99999999999}", 0, "", -1, ""},  // past the int range: no tile
      {"{Img=2147483647}", 2147483647, "", -1, ""},
      {"{Key=A;Icon=close}", -1, "A", -1, "close"},
      {"{Button=B;Icon=7}", -1, "B", 7, ""},
  };
  for (const Case& c : cases) {
    const TextTag t = Read(c.text);
    EXPECT_EQ(t.tile, c.tile) << c.text;
    if (t.kind == TextTagKind::Image) {
      EXPECT_EQ(t.name, c.name) << c.text;
    }
    EXPECT_EQ(t.iconTile, c.iconTile) << c.text;
    EXPECT_EQ(t.iconName, c.iconName) << c.text;
    EXPECT_EQ(t.hasIcon, std::strstr(c.text, ";Icon=") != nullptr) << c.text;
  }
}

TEST(TextMarkup, ParametersInAnyOrderAndBadValues) {
  struct Case {
    const char* text;
    float dim0, dim1, pos0, pos1, inc;
    bool hasInc;
    Vector4f color;
    bool error;
  } cases[] = {
      {"{Img=1;Dim=(16,8);Pos=(-1,2.5);Inc=20;Color=(1,0,0,0.5)}", 16, 8, -1, 2.5f, 20, true, {1, 0, 0, 0.5f}, false},
      {"{Img=1;Color=(0,1,0,1);Inc=3;Pos=(1,1);Dim=(2,3)}", 2, 3, 1, 1, 3, true, {0, 1, 0, 1}, false},
      {"{Img=1;Dim=( 4, 5)}", 4, 5, 0, 0, 0, false, {1, 1, 1, 1}, false},
      {"{Img=1;Dim=(4)}", 4, 0, 0, 0, 0, false, {1, 1, 1, 1}, true},
      {"{Img=1;Dim=(nan,1)}", 0, 0, 0, 0, 0, false, {1, 1, 1, 1}, true},
      {"{Img=1;Pos=(1,inf)}", 0, 0, 1, 0, 0, false, {1, 1, 1, 1}, true},
      {"{Img=1;Inc=nan}", 0, 0, 0, 0, 0, false, {1, 1, 1, 1}, true},
      {"{Img=1;Color=(0.5,0.5,0.5)}", 0, 0, 0, 0, 0, false, {0.5f, 0.5f, 0.5f, 1}, true},
      {"{Img=1;Dim=4,5}", 0, 0, 0, 0, 0, false, {1, 1, 1, 1}, true},
  };
  for (const Case& c : cases) {
    const TextTag t = Read(c.text);
    EXPECT_EQ(t.dim[0], c.dim0) << c.text;
    EXPECT_EQ(t.dim[1], c.dim1) << c.text;
    EXPECT_EQ(t.pos[0], c.pos0) << c.text;
    EXPECT_EQ(t.pos[1], c.pos1) << c.text;
    EXPECT_EQ(t.hasInc, c.hasInc) << c.text;
    if (c.hasInc) {
      EXPECT_EQ(t.inc, c.inc) << c.text;
    }
    EXPECT_EQ(t.color, c.color) << c.text;
    EXPECT_EQ(t.syntaxError, c.error) << c.text;
  }
}

TEST(TextMarkup, ColourScaleAndMouse) {
  TextTag t = Read("{Color=(1,0,0)}");  // three values: the default colour's alpha stays
  EXPECT_TRUE(t.syntaxError);
  EXPECT_EQ(t.color, (Vector4f{1, 0, 0, 1}));
  t = Read("{Color=(nan,0,0,1)}");
  EXPECT_TRUE(t.syntaxError);
  EXPECT_EQ(t.color, (Vector4f{0.25f, 0.5f, 0.75f, 1}));
  t = Read("{Scale=2.5}");
  EXPECT_TRUE(t.hasScale);
  EXPECT_EQ(t.scale, 2.5f);
  for (const char* bad : {"{Scale=inf}", "{Scale=x}", "{Scale=}"}) {
    t = Read(bad);
    EXPECT_FALSE(t.hasScale) << bad;
    EXPECT_TRUE(t.syntaxError) << bad;
  }
  EXPECT_EQ(Read("{Mouse=LRwQ}").mouseFlags, 0xBu);
  EXPECT_EQ(Read("{Mouse=LRMwWxXyY012H}").mouseFlags, 0x1FFFu);
  EXPECT_EQ(Read("{Mouse=}").mouseFlags, 0u);
}

}  // namespace
}  // namespace PM::Test
