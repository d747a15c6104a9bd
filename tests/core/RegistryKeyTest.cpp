// Registry keys over the file-backed store: values, failures, sharing between processes and damage.
#include "core/RegistryKey.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>

#include "support/TestEnv.h"

namespace PM {
namespace {

class RegistryKeyTest : public PM::Test::BlockCheckedTest {
 protected:
  void SetUp() override {
    PM::Test::BlockCheckedTest::SetUp();
    setenv("PM_REGISTRY_FILE", File().c_str(), 1);
    setenv("PM_LOG_DIR", m_dir.Path().c_str(), 1);
    unsetenv("XPREGVERBOSE");
  }
  std::string File() const { return m_dir.File("config/registry.ini"); }
  PM::Test::TempDir m_dir;
};

TEST_F(RegistryKeyTest, ValuesRoundTripAndArePinnedInTheFile) {
  {
    RegistryKey key;
    ASSERT_TRUE(key.CreateKey(kRegistryEngineKey));
    EXPECT_EQ(key.SetValueDataString("Name", "Pelmora"), 0);
    EXPECT_EQ(key.SetValueDataNumber("Count", 42), 0);
    const uint8_t blob[] = {0, 1, 0xFE, 0xFF};
    EXPECT_EQ(key.SetValueDataBinary("Blob", blob, 4), 0);
    EXPECT_EQ(key.SetValueDataString("Quote", "say \"x\"\\\n"), 0);
  }
  EXPECT_EQ(PM::Test::ReadFile(File()),
            "; Pelmora registry 1\n"
            "\n"
            "[HKEY_CURRENT_USER\\Software\\Pelmora\\Engine]\n"
            "\"Name\"=sz:\"Pelmora\"\n"
            "\"Count\"=dword:0000002a\n"
            "\"Blob\"=hex:00,01,fe,ff\n"
            "\"Quote\"=sz:\"say \\\"x\\\"\\\\\\x0a\"\n");

  RegistryKey key;
  ASSERT_TRUE(key.OpenKey("Software\\Pelmora\\Engine"));
  String s;
  key.GetValueDataString(s, "name", "none");  // names ignore case, as the registry's do
  EXPECT_EQ(s, "Pelmora");
  key.GetValueDataString(s, "Quote", "none");
  EXPECT_EQ(s, "say \"x\"\\\n");
  EXPECT_EQ(key.GetValueDataNumber("Count", 7), 42u);
  uint8_t out[8] = {};
  EXPECT_EQ(key.GetValueDataBinary("Blob", out, 2), 4);
  EXPECT_EQ(out[0], 0);
  EXPECT_EQ(out[1], 1);
  EXPECT_EQ(out[2], 0);  // only the capacity was copied
  // Missing values and values of another type give the default.
  key.GetValueDataString(s, "Missing", "fallback");
  EXPECT_EQ(s, "fallback");
  key.GetValueDataString(s, "Count", "fallback");
  EXPECT_EQ(s, "fallback");
  EXPECT_EQ(key.GetValueDataNumber("Name", 7), 7u);
  EXPECT_EQ(key.GetValueDataBinary("Missing", out, 8), -1);
}

TEST_F(RegistryKeyTest, OpenFailuresKeepThePreviousKey) {
  RegistryKey key;
  String s;
  key.GetValueDataString(s, "Name", "no key");
  EXPECT_EQ(s, "no key");
  EXPECT_EQ(key.SetValueDataString("Name", "x"), EBADF);
  EXPECT_FALSE(key.OpenKey(kRegistryEngineKey));  // nothing created yet
  EXPECT_FALSE(key.IsOpen());

  ASSERT_TRUE(key.CreateKey("Software\\Pelmora\\Engine\\OpenGL"));
  EXPECT_EQ(key.SetValueDataString("VertexBufferObjects", "disable"), 0);
  // A created subkey makes the keys above it exist.
  RegistryKey engine;
  EXPECT_TRUE(engine.OpenKey(kRegistryEngineKey));
  EXPECT_FALSE(key.OpenKey("Software\\Pelmora\\Missing"));
  EXPECT_FALSE(key.CreateKey("Software\\Bad\x01Name"));
  key.GetValueDataString(s, "VertexBufferObjects", "default");
  EXPECT_EQ(s, "disable");

  RegistryKey readOnly(kRegistryCurrentUser, kKeyRead);
  ASSERT_TRUE(readOnly.OpenKey("Software\\Pelmora\\Engine\\OpenGL"));
  EXPECT_EQ(readOnly.SetValueDataNumber("X", 1), EACCES);
  EXPECT_FALSE(readOnly.CreateKey("Software\\Other"));
}

void WriteInChild(void* file) {
  setenv("PM_REGISTRY_FILE", static_cast<const char*>(file), 1);
  RegistryKey key;
  bool ok = key.CreateKey(kRegistryEngineKey) && key.SetValueDataString("FromChild", "child value") == 0;
  _exit(ok ? 0 : 1);
}

void ReadInChild(void*) {
  RegistryKey key;
  String s;
  if (key.OpenKey(kRegistryEngineKey)) key.GetValueDataString(s, "FromParent", "");
  _exit(s == "parent value" ? 0 : 1);
}

TEST_F(RegistryKeyTest, AValueWrittenByOneProcessIsReadByAnother) {
  std::string file = File();
  int status = PM::Test::RunInChild(WriteInChild, file.data());
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  EXPECT_NE(PM::Test::ReadFile(file).find("\"FromChild\"=sz:\"child value\"\n"), std::string::npos);

  RegistryKey key;
  ASSERT_TRUE(key.OpenKey(kRegistryEngineKey));
  String s;
  key.GetValueDataString(s, "FromChild", "");
  EXPECT_EQ(s, "child value");
  EXPECT_EQ(key.SetValueDataString("FromParent", "parent value"), 0);
  status = PM::Test::RunInChild(ReadInChild);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  // Neither write lost the other's value.
  std::string text = PM::Test::ReadFile(file);
  EXPECT_NE(text.find("FromChild"), std::string::npos);
  EXPECT_NE(text.find("FromParent"), std::string::npos);
}

TEST_F(RegistryKeyTest, ADamagedFileIsReportedReadAsEmptyAndKeptAside) {
  std::filesystem::create_directories(m_dir.File("config"));
  const std::string damaged = "[HKEY_CURRENT_USER\\Software\\Pelmora\\Engine]\n\"A\"=sz:\"ok\"\n\"B\"=dword:xyz\n";
  PM::Test::WriteFile(File(), damaged);
  testing::internal::CaptureStderr();
  RegistryKey key;
  EXPECT_FALSE(key.OpenKey(kRegistryEngineKey));
  std::string log = testing::internal::GetCapturedStderr();
  EXPECT_NE(log.find("RegistryStore: " + File() + " is damaged at line 3; it is read as empty."), std::string::npos)
      << log;

  // The first write keeps the damaged file for inspection and starts a fresh one.
  testing::internal::CaptureStderr();
  ASSERT_TRUE(key.CreateKey(kRegistryEngineKey));
  testing::internal::GetCapturedStderr();
  EXPECT_EQ(PM::Test::ReadFile(File() + ".damaged"), damaged);
  String s;
  key.GetValueDataString(s, "A", "empty");
  EXPECT_EQ(s, "empty");

  // Bytes that are no text at all are damage too.
  PM::Test::WriteFile(File(), std::string("\0\xff\x01[", 4));
  testing::internal::CaptureStderr();
  key.GetValueDataString(s, "A", "empty");
  EXPECT_NE(testing::internal::GetCapturedStderr().find("is damaged at line 1"), std::string::npos);
  EXPECT_EQ(s, "empty");
}

TEST_F(RegistryKeyTest, EveryDamagedCopyIsKept) {
  std::filesystem::create_directories(m_dir.File("config"));
  RegistryKey key;
  testing::internal::CaptureStderr();
  for (int round = 0; round < 3; ++round) {
    PM::Test::WriteFile(File(), "damage number " + std::to_string(round) + "\n");
    ASSERT_TRUE(key.CreateKey(kRegistryEngineKey));
  }
  std::string log = testing::internal::GetCapturedStderr();
  EXPECT_EQ(PM::Test::ReadFile(File() + ".damaged"), "damage number 0\n");
  EXPECT_EQ(PM::Test::ReadFile(File() + ".damaged.1"), "damage number 1\n");
  EXPECT_EQ(PM::Test::ReadFile(File() + ".damaged.2"), "damage number 2\n");
  EXPECT_NE(log.find("the damaged " + File() + " was moved to " + File() + ".damaged.2."), std::string::npos) << log;
}

// Whatever stands at the registry's name, its lock's or its temporary file's, nothing outside the
// folder changes, a FIFO never blocks, and a special file is never replaced by a regular one.
TEST_F(RegistryKeyTest, LinksFifosDevicesAndFoldersAreNeverWrittenThroughOrReplaced) {
  namespace fs = std::filesystem;
  enum Plant { kFifo, kLinkToNull, kFolder, kLockLink, kTempLink, kLinkToVictim };
  const struct {
    Plant plant;
    bool written;  // the change still lands in a fresh regular file
    mode_t after;  // what stands at the registry's name afterwards; 0 for nothing
  } cases[] = {{kFifo, false, S_IFIFO}, {kLinkToNull, false, S_IFLNK}, {kFolder, false, S_IFDIR},
               {kLockLink, false, 0},   {kTempLink, true, S_IFREG},    {kLinkToVictim, true, S_IFREG}};
  for (const auto& c : cases) {
    PM::Test::TempDir dir, outside;
    std::string file = dir.File("registry.ini"), victim = outside.File("victim");
    setenv("PM_REGISTRY_FILE", file.c_str(), 1);
    const std::string kept = "[HKEY_CURRENT_USER\\Software\\Pelmora\\Engine]\n\"Mine\"=sz:\"x\"\n";
    PM::Test::WriteFile(victim, kept);
    switch (c.plant) {
      case kFifo:
        ASSERT_EQ(mkfifo(file.c_str(), 0644), 0);
        break;
      case kLinkToNull:
        fs::create_symlink("/dev/null", file);
        break;
      case kFolder:
        fs::create_directory(file);
        break;
      case kLockLink:
        fs::create_symlink(victim, file + ".lock");
        break;
      case kTempLink:
        fs::create_symlink(victim, file + ".tmp." + std::to_string(getpid()));
        break;
      case kLinkToVictim:
        fs::create_symlink(victim, file);
        break;
    }
    testing::internal::CaptureStderr();
    RegistryKey key;
    bool created = key.CreateKey(kRegistryEngineKey) && key.SetValueDataString("New", "y") == 0;
    std::string log = testing::internal::GetCapturedStderr();
    EXPECT_EQ(created, c.written) << int(c.plant) << log;
    EXPECT_EQ(PM::Test::ReadFile(victim), kept) << int(c.plant);
    struct stat st;
    EXPECT_EQ(lstat(file.c_str(), &st) == 0 ? st.st_mode & S_IFMT : 0, c.after) << int(c.plant);
    if (c.written) {
      EXPECT_NE(PM::Test::ReadFile(file).find("\"New\"=sz:\"y\""), std::string::npos);
    } else {
      EXPECT_NE(log.find("RegistryStore: " + file), std::string::npos) << log;
    }
  }
  setenv("PM_REGISTRY_FILE", File().c_str(), 1);
}

TEST_F(RegistryKeyTest, VerboseTracesEveryAccess) {
  setenv("XPREGVERBOSE", "1", 1);
  testing::internal::CaptureStdout();
  {
    RegistryKey key;
    key.OpenKey(kRegistryEngineKey);
    key.CreateKey(kRegistryEngineKey);
    key.SetValueDataNumber("Width", 640);
    key.GetValueDataNumber("Width", 0);
    key.GetValueDataNumber("Height", 0);
  }
  std::string out = testing::internal::GetCapturedStdout();
  unsetenv("XPREGVERBOSE");
  for (const char* line : {"RegistryKey::OpenKey(Software\\Pelmora\\Engine): failed.",
                           "RegistryKey::CreateKey(Software\\Pelmora\\Engine): ok.",
                           "RegistryKey: write Software\\Pelmora\\Engine\\Width: ok.",
                           "RegistryKey: read Software\\Pelmora\\Engine\\Width: found.",
                           "RegistryKey: read Software\\Pelmora\\Engine\\Height: missing."}) {
    EXPECT_NE(out.find(line), std::string::npos) << line << "\n" << out;
  }
}

TEST_F(RegistryKeyTest, DefaultFileFollowsTheEnvironment) {
  EXPECT_EQ(RegistryStore::DefaultPath(), File());
  unsetenv("PM_REGISTRY_FILE");
  setenv("XDG_CONFIG_HOME", "/xdg", 1);
  EXPECT_EQ(RegistryStore::DefaultPath(), "/xdg/Pelmora/registry.ini");
  unsetenv("XDG_CONFIG_HOME");
  setenv("HOME", "/home/someone", 1);
  EXPECT_EQ(RegistryStore::DefaultPath(), "/home/someone/.config/Pelmora/registry.ini");
}

}  // namespace
}  // namespace PM
