// ReaderRequest on the wire: what the host sends is what the reader reads, and arguments that make no
// request say why.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "import/ReaderRequest.h"

namespace PM::Import {
namespace {

using Args = std::vector<std::string>;

TEST(ReaderRequest, WhatIsSentIsWhatIsRead) {
  ReaderRequest sent;
  sent.limits.addressSpace = uint64_t{1} << 30;
  sent.addressSpaceCap = UINT64_MAX;
  sent.limits.cpuSeconds = UINT32_MAX;
  sent.limits.outputBytes = 1;
  sent.assetRoot = "/models/a root";
  sent.texturePath = {"/textures/one", "/textures/two"};
  sent.file = "/models/a root/--.obj";
  const Args args = ReaderArguments(sent);
  EXPECT_EQ(args, (Args{"--address-space", "1073741824", "--address-space-cap", "18446744073709551615", "--cpu-seconds",
                        "4294967295", "--output-bytes", "1", "--asset-root", "/models/a root", "--texture-path",
                        "/textures/one", "--texture-path", "/textures/two", "--", "/models/a root/--.obj"}));
  ReaderRequest read;
  std::string error;
  ASSERT_TRUE(ParseReaderArguments(args, read, error)) << error;
  EXPECT_EQ(read.limits.addressSpace, sent.limits.addressSpace);
  EXPECT_EQ(read.addressSpaceCap, sent.addressSpaceCap);
  EXPECT_EQ(read.limits.cpuSeconds, sent.limits.cpuSeconds);
  EXPECT_EQ(read.limits.outputBytes, 1u);
  EXPECT_EQ(read.assetRoot, sent.assetRoot);
  EXPECT_EQ(read.texturePath, sent.texturePath);
  EXPECT_EQ(read.file, sent.file);
  EXPECT_EQ(ReaderUsage(),
            "usage: pm-import-reader [--address-space N] [--address-space-cap N] [--cpu-seconds N] [--output-bytes "
            "N] [--asset-root TEXT] [--texture-path TEXT]... -- FILE");
  // No asset root nor texture path: none sent.
  sent.assetRoot.clear();
  sent.texturePath.clear();
  EXPECT_EQ(ReaderArguments(sent).size(), args.size() - 6);
}

TEST(ReaderRequest, ArgumentsThatMakeNoRequestSayWhy) {
  const struct {
    Args args;
    const char* error;
  } cases[] = {
      {{"--cpu-seconds", "4294967296", "--", "a.obj"},
       "the value \"4294967296\" of --cpu-seconds is not a number it takes"},
      {{"--output-bytes", "-1", "--", "a.obj"}, "the value \"-1\" of --output-bytes is not a number it takes"},
      {{"--address-space", "", "--", "a.obj"}, "the value \"\" of --address-space is not a number it takes"},
      {{"--address-space", "18446744073709551616", "--", "a.obj"},
       "the value \"18446744073709551616\" of --address-space is not a number it takes"},
      {{"--texture", "x", "--", "a.obj"}, "the option \"--texture\" is unknown"},
      {{"--asset-root"}, "the option \"--asset-root\" has no value"},
      {{"--cpu-seconds", "1"}, "no \"-- FILE\" ends the arguments"},
      {{"--", ""}, "no \"-- FILE\" ends the arguments"},
      {{"--", "a.obj", "b.obj"}, "no \"-- FILE\" ends the arguments"},
      {{}, "no \"-- FILE\" ends the arguments"},
  };
  for (const auto& c : cases) {
    ReaderRequest request;
    std::string error;
    EXPECT_FALSE(ParseReaderArguments(c.args, request, error)) << c.error;
    EXPECT_EQ(error, c.error);
  }
}

}  // namespace
}  // namespace PM::Import
