// The registry file's text: what it accepts, what it calls damage, and how keys are named.
#include "platform/RegistryStore.h"

#include <gtest/gtest.h>

namespace PM {
namespace {

TEST(RegistryStoreTest, ParsesWhatItWritesAndToleratesHandEdits) {
  RegistryStore::Keys keys;
  const char* text =
      "; Pelmora registry 1\r\n"
      "# a note\n"
      "\n"
      "[HKEY_CURRENT_USER\\Software\\Pelmora\\Engine]\r\n"
      "  \"A\"=sz:\"x\\x41\\\\\"  \n"
      "\"N\"=dword:2A\n"
      "\"Empty\"=hex:\n"
      "[HKEY_LOCAL_MACHINE]\n"
      "\"\"=hex:0a,FF\n"
      "[hkey_current_user\\software\\pelmora\\engine]\n"
      "\"a\"=sz:\"later wins\"\n";
  ASSERT_EQ(RegistryStore::Parse(text, keys), 0);
  ASSERT_EQ(keys.size(), 2u);  // a key named twice in other case is one key
  ASSERT_EQ(keys[0].values.size(), 3u);
  EXPECT_EQ(keys[0].values[0].second.data, "later wins");
  EXPECT_EQ(keys[0].values[1].second.type, uint32_t(kRegistryDword));
  EXPECT_EQ(keys[0].values[1].second.data, std::string("\x2A\0\0\0", 4));
  EXPECT_EQ(keys[0].values[2].second.data, "");
  EXPECT_EQ(keys[1].values[0].second.data, "\x0a\xff");

  std::string written = RegistryStore::Format(keys);
  EXPECT_EQ(written,
            "; Pelmora registry 1\n"
            "\n[HKEY_CURRENT_USER\\Software\\Pelmora\\Engine]\n"
            "\"A\"=sz:\"later wins\"\n\"N\"=dword:0000002a\n\"Empty\"=hex:\n"
            "\n[HKEY_LOCAL_MACHINE]\n\"\"=hex:0a,ff\n");
  RegistryStore::Keys again;
  ASSERT_EQ(RegistryStore::Parse(written, again), 0);
  EXPECT_EQ(RegistryStore::Format(again), written);
}

// Names compare whole: one that differs only after a NUL (written \x00) is another value.
TEST(RegistryStoreTest, NamesDifferingAfterANulStayApart) {
  RegistryStore::Keys keys;
  ASSERT_EQ(RegistryStore::Parse("[HKEY_CURRENT_USER\\S]\n\"a\\x00b\"=sz:\"1\"\n\"A\\x00c\"=sz:\"2\"\n"
                                 "\"A\\x00B\"=sz:\"3\"\n",
                                 keys),
            0);
  ASSERT_EQ(keys.size(), 1u);
  ASSERT_EQ(keys[0].values.size(), 2u);
  EXPECT_EQ(keys[0].values[0].second.data, "3");  // the same name in other case
  EXPECT_EQ(keys[0].values[1].second.data, "2");
}

TEST(RegistryStoreTest, DamageNamesTheFirstBadLine) {
  const char* head = "[HKEY_CURRENT_USER\\S]\n";
  for (const char* bad :
       {"\"A\"=sz:\"open", "\"A\"=sz:\"x\\q\"", "\"A\"=sz:\"x\" tail", "\"A\"=dword:123456789",
        "\"A\"=dword:", "\"A\"=hex:0", "\"A\"=hex:00,", "\"A\"=hex:0g", "\"A\"=text:\"x\"", "\"A\" sz:\"x\"",
        "[HKEY_NOWHERE\\S]", "[HKEY_CURRENT_USER\\\\S]", "[HKEY_CURRENT_USER\\S\\]", "plain words"}) {
    RegistryStore::Keys keys;
    EXPECT_EQ(RegistryStore::Parse(std::string(head) + bad + "\n", keys), 2) << bad;
    EXPECT_TRUE(keys.empty());
  }
  RegistryStore::Keys keys;
  EXPECT_EQ(RegistryStore::Parse("\"A\"=sz:\"value before any key\"\n", keys), 1);
}

TEST(RegistryStoreTest, KeyPathsJoinTheRootAndTheSubkey) {
  EXPECT_EQ(RegistryStore::KeyPath(kRegistryCurrentUser, "Software\\Pelmora\\Engine"),
            "HKEY_CURRENT_USER\\Software\\Pelmora\\Engine");
  EXPECT_EQ(RegistryStore::KeyPath(kRegistryLocalMachine, "\\Software\\\\Pelmora\\"),
            "HKEY_LOCAL_MACHINE\\Software\\Pelmora");
  EXPECT_EQ(RegistryStore::KeyPath(kRegistryUsers, ""), "HKEY_USERS");
  EXPECT_EQ(RegistryStore::KeyPath(0x12345678, "Software"), "");
  EXPECT_EQ(RegistryStore::KeyPath(kRegistryCurrentUser, "Soft\nware"), "");
}

}  // namespace
}  // namespace PM
