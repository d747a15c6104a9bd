// The PO catalogue subset: continuation lines, escapes, the header, refusals with line numbers,
// and look-up by the interface language.
#include <sys/stat.h>

#include <filesystem>
#include <string>

#include "LogTestUtil.h"
#include "core/Language.h"
#include "core/MessageCatalog.h"

namespace PM {
namespace {

const char kGerman[] =
    "\xEF\xBB\xBF# German texts\r\n"
    "msgid \"\"\r\n"
    "msgstr \"Content-Type: text/plain; charset=UTF-8\\n\"\r\n"
    "\r\n"
    "#: dialog\n"
    "msgid \"Graphics \"\n"
    "  \"Configuration\"\n"
    "msgstr \"Grafik\" \"einstellungen\"\n"
    "\"\"\n"
    "msgid \"tab\\there\"\n"
    "msgstr \"Tab\\tda \\\"zitiert\\\" \\\\ \\101\\x42\\n\"\n"
    "msgid \"untranslated\"\n"
    "msgstr \"\"\n";

TEST(MessageCatalog, ContinuationLinesEscapesAndTheHeader) {
  MessageCatalog c;
  ASSERT_TRUE(c.Parse(kGerman, sizeof kGerman - 1, "de.po"));
  EXPECT_EQ(c.Size(), 2u);  // the header and the untranslated entry are not kept
  ASSERT_NE(c.Find("Graphics Configuration"), nullptr);
  EXPECT_EQ(*c.Find("Graphics Configuration"), "Grafikeinstellungen");
  EXPECT_EQ(*c.Find("tab\there"), "Tab\tda \"zitiert\" \\ AB\n");
  EXPECT_EQ(c.Find(""), nullptr);
  EXPECT_EQ(c.Find("untranslated"), nullptr);
}

TEST(MessageCatalog, LookUpFollowsTheLanguage) {
  struct Reset {
    ~Reset() {
      SetLanguage(kLanguageEnglish);
      ClearMessageCatalogs();
    }
  } reset;
  const char spanish[] = "msgid \"Graphics Configuration\"\nmsgstr \"Configuraci\xC3\xB3n gr\xC3\xA1\x66ica\"\n";
  ASSERT_TRUE(LoadMessageCatalog(kLanguageGerman, kGerman, sizeof kGerman - 1, "de.po"));
  ASSERT_TRUE(LoadMessageCatalog(kLanguageSpanish, spanish, sizeof spanish - 1, "es.po"));
  EXPECT_EQ(Translate("Graphics Configuration"), "Graphics Configuration");
  SetLanguage(kLanguageGerman);
  EXPECT_EQ(Translate("Graphics Configuration"), "Grafikeinstellungen");
  EXPECT_EQ(Translate("untranslated"), "untranslated");
  EXPECT_EQ(Translate("unknown"), "unknown");
  SetLanguage(kLanguageSpanish);
  EXPECT_EQ(Translate("Graphics Configuration"), "Configuraci\xC3\xB3n gr\xC3\xA1\x66ica");
  SetLanguage(7);
  EXPECT_EQ(Translate("Graphics Configuration"), "Graphics Configuration");
}

TEST(MessageCatalog, MalformedCatalogsAreReportedWithTheirLineNumber) {
  PM::Test::LogDir dir;
  const struct {
    const char* text;
    const char* error;
  } cases[] = {
      {"msgid \"a\"\nmsgstr \"b\"\n\nmsgctxt \"menu\"\n", "t.po(4): msgctxt is not supported."},
      {"msgid \"a\"\nmsgid_plural \"as\"\n", "t.po(2): plural forms are not supported."},
      {"msgid \"a\"\nmsgstr[0] \"b\"\n", "t.po(2): plural forms are not supported."},
      {"msgid \"a\n", "t.po(1): the string is not closed."},
      {"msgid \"a\" x\n", "t.po(1): text follows the closing quote."},
      {"msgid \"\\q\"\n", "t.po(1): an unknown escape."},
      {"\n\"lost\"\n", "t.po(2): a continuation line outside an entry."},
      {"msgstr \"b\"\n", "t.po(1): msgstr without msgid."},
      {"msgid \"a\"\n\nmsgid \"b\"\n", "t.po(3): msgid without msgstr."},
      {"# c\nmsgid \"a\"\n", "t.po(2): msgid without msgstr."},
      {"msgid \"a\"\nmsgstr \"b\"\nfoo\n", "t.po(3): unknown keyword."},
  };
  std::string expected;
  for (const auto& c : cases) {
    MessageCatalog catalog;
    const char kGood[] = "msgid \"k\"\nmsgstr \"v\"\n";
    ASSERT_TRUE(catalog.Parse(kGood, sizeof kGood - 1, "t.po"));
    EXPECT_FALSE(catalog.Parse(c.text, std::strlen(c.text), "t.po")) << c.text;
    EXPECT_EQ(catalog.Size(), 1u);  // left as it was
    expected += std::string("Error MessageCatalog::Parse: ") + c.error + "\n";
  }
  EXPECT_FALSE(LoadMessageCatalog(3, "", 0, "x.po"));
  EXPECT_FALSE(LoadMessageCatalogFile(0, dir.File("missing.po").c_str()));
  expected += "Error MessageCatalog::Load: language 3 is out of range.\n";
  expected += "Error MessageCatalog::Load: cannot open \"" + dir.File("missing.po") + "\".\n";
  EXPECT_EQ(dir.Err(), expected);
}

// A folder, a FIFO or an unreadable name in place of the catalogue file fails, says why, and the
// catalogue in use stays.
TEST(MessageCatalog, AFolderOrSpecialFileKeepsTheGoodCatalogue) {
  PM::Test::LogDir dir;
  struct Reset {
    ~Reset() { ClearMessageCatalogs(); }
  } reset;
  ASSERT_TRUE(LoadMessageCatalog(kLanguageGerman, kGerman, sizeof kGerman - 1, "de.po"));
  std::filesystem::create_directory(dir.File("folder.po"));
  ASSERT_EQ(mkfifo(dir.File("fifo.po").c_str(), 0644), 0);
  EXPECT_FALSE(LoadMessageCatalogFile(kLanguageGerman, dir.File("folder.po").c_str()));
  EXPECT_FALSE(LoadMessageCatalogFile(kLanguageGerman, dir.File("fifo.po").c_str()));
  EXPECT_FALSE(LoadMessageCatalogFile(kLanguageGerman, "/dev/null"));
  EXPECT_EQ(TranslateFor(kLanguageGerman, "Graphics Configuration"), "Grafikeinstellungen");
  EXPECT_EQ(dir.Err(), "Error MessageCatalog::Load: cannot read \"" + dir.File("folder.po") + "\": Is a directory.\n" +
                           "Error MessageCatalog::Load: cannot read \"" + dir.File("fifo.po") +
                           "\": it is not a regular file (a device, FIFO or socket).\n" +
                           "Error MessageCatalog::Load: cannot read \"/dev/null\": it is not a regular file (a "
                           "device, FIFO or socket).\n");
}

}  // namespace
}  // namespace PM
