// The usage words of VertexData streams: the table the drawing code takes its kinds from, and the class
// reference that shows it to a user writing `.Usage 0x10000u`.
#include <set>
#include <string>

#include "EngineWorld.h"
#include "scene/VertexDataUsage.h"
#include "script/object/ClassDatabase.h"
#include "support/TestEnv.h"

namespace PM::Test {
namespace {

using VertexDataUsages = EngineWorldTest;

TEST_F(VertexDataUsages, EachKindOnceWithAConcreteStreamClass) {
  std::set<uint32_t> kinds;
  for (const VertexUsageRow& row : kVertexUsages) {
    EXPECT_TRUE(kinds.insert(row.kind).second) << row.kind;
    EXPECT_LT(uint32_t(row.kind), kVertexUsageKindCount);
    const MemberTable* t = ValidTable(row.classId);
    ASSERT_NE(t, nullptr) << row.element;
    EXPECT_EQ(t->baseId, ClassId::VertexData) << row.element;
    EXPECT_NE(t->factory, nullptr) << row.element;
  }
  EXPECT_EQ(VertexUsageWord(kVertexUsageTexCoords, 1), 0x10001u);
  EXPECT_EQ(VertexUsageWord(kVertexUsageTexCoordDeltas, 0xFFFF), 0xCFFFFu);
}

// The VertexData section of docs/classes.md (written by classdoc, which a test keeps current).
TEST(VertexDataUsageReference, TheClassReferenceNamesTheUsageWords) {
  const std::string page = ReadFile(PM_SOURCE_DIR "/docs/classes.md");
  const size_t start = page.find("\n## VertexData\n");
  ASSERT_NE(start, std::string::npos);
  const std::string section = page.substr(start, page.find("\n## ", start + 1) - start);
  for (const char* line : {
           "The usage words the drawing code reads. `Usage` is kind << 16 | slot, a U32 (written with a `u`, as "
           "`0x10000u`); of several streams of one geometry with the same `Usage`, the first is read.\n",
           "| Usage | slot | class | each element |\n|---|---|---|---|\n",
           "| `0x10000u` + n | n: the texture coordinate set | VertexDataVector2f | texture coordinates (u, v), read "
           "by a ShaderTexture whose TexCoordSource is n |\n",
           "| `0x20000u` | 0 only | VertexDataVector4f | colour (r, g, b, a) from 0 to 1, drawn by the shader's base "
           "pass |\n",
           "| `0x80000u` + j | j: the joint | VertexDataF32 | weight of joint j (entry j of the "
           "TSkinPolygonGeometry's Joint) |\n",
           "| `0xA0000u` + k | k: the blend | VertexDataVector3f | position delta, weighted by entry k of BlendControl "
           "|\n",
           "| `0xB0000u` + k | k: the blend | VertexDataVector3f | normal delta, weighted by entry k of BlendControl "
           "|\n",
           "| `0xC0000u` + k | k: the texture blend | VertexDataVector2f | texture-coordinate delta, weighted by entry "
           "k of BlendTexCoordControl |\n",
           "Streams of the other kinds below 13 are kept but read by nothing; a usage of `0xD0000u` or more is "
           "ignored.\n",
       })
    EXPECT_NE(section.find(line), std::string::npos) << line << "\nnot in:\n" << section;
}

}  // namespace
}  // namespace PM::Test
