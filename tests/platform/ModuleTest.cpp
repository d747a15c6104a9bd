// Loading sibling modules under their ".DLL" names and resolving plain and decorated symbols.
#include "platform/ModuleLoader.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>

#include "platform/LastError.h"

namespace PM {
namespace {

using IntFn = int (*)();

TEST(ModuleTest, NamesMapToSharedObjectsAndPlainIdentifiers) {
  EXPECT_EQ(Module::FileNameFor("Pelmora010276SOUNDDX8.DLL"), "Pelmora010276SOUNDDX8.so");
  EXPECT_EQ(Module::FileNameFor("d3d8.dll"), "d3d8.so");
  EXPECT_EQ(Module::FileNameFor("libGL.so.1"), "libGL.so.1");
  EXPECT_EQ(Module::PlainIdentifier("?CreateSoundDeviceOpenAL@PM@@YAPAVSoundDevice@1@W4SDType@21@W4SpeakerType@21@"
                                    "W4Quality@21@PAX@Z"),
            "CreateSoundDeviceOpenAL");
  EXPECT_EQ(Module::PlainIdentifier("?CreateSoundDevice@@YAPAXXZ"), "CreateSoundDevice");
  EXPECT_EQ(Module::PlainIdentifier("_CreateSoundDevice@4"), "CreateSoundDevice");
  EXPECT_EQ(Module::PlainIdentifier("@Fast@8"), "Fast");
  EXPECT_EQ(Module::PlainIdentifier("_Plain"), "Plain");
  EXPECT_EQ(Module::PlainIdentifier("Plain"), "");
  EXPECT_EQ(Module::PlainIdentifier("??0Widget@PM@@QAE@XZ"), "");  // a constructor has no plain name
  EXPECT_EQ(Module::PlainIdentifier("_Name@x"), "");
}

TEST(ModuleTest, FindsTheModuleBesideTheEngineAndResolvesSymbols) {
  ModuleHandle m = Module::Load("TestModule010276.DLL");
  ASSERT_NE(m, nullptr);
  auto answer = reinterpret_cast<IntFn>(Module::Symbol(m, "TestModuleAnswer"));
  ASSERT_NE(answer, nullptr);
  EXPECT_EQ(answer(), 42);
  for (const char* decorated : {"?TestModuleAnswer@@YAHXZ", "_TestModuleAnswer@0", "_TestModuleAnswer"}) {
    EXPECT_EQ(Module::Symbol(m, decorated), reinterpret_cast<void*>(answer)) << decorated;
  }
  auto twice = reinterpret_cast<int (*)(int)>(Module::Symbol(m, "_ZN2PM15TestModuleTwiceEi"));
  ASSERT_NE(twice, nullptr);
  EXPECT_EQ(twice(21), 42);
  EXPECT_TRUE(Module::Free(m));
}

TEST(ModuleTest, FindsAModuleInTheInstalledModuleFolder) {
  EXPECT_EQ(Module::InstalledModuleFolder(), Module::EngineFolder() + "/pelmora");
  ModuleHandle m = Module::Load("TestModuleInstalled010276.DLL");
  ASSERT_NE(m, nullptr);
  EXPECT_EQ(reinterpret_cast<IntFn>(Module::Symbol(m, "TestModuleAnswer"))(), 44);
  EXPECT_TRUE(Module::Free(m));
  // The module folder is looked in after the first place also when $PM_MODULE_DIR names that place.
  setenv("PM_MODULE_DIR", PM_TEST_MODULE_ASIDE_DIR, 1);
  m = Module::Load("TestModuleInstalled010276.DLL");
  unsetenv("PM_MODULE_DIR");
  ASSERT_NE(m, nullptr);
  EXPECT_TRUE(Module::Free(m));
}

TEST(ModuleTest, MissingModulesAndSymbolsAreReported) {
  setenv("PM_LOG_DIR", ::testing::TempDir().c_str(), 1);
  testing::internal::CaptureStderr();
  SetLastErrorCode(0);
  EXPECT_EQ(Module::Load("Pelmora010276Missing.DLL"), nullptr);
  EXPECT_EQ(GetLastErrorCode(), uint32_t(ENOENT));
  EXPECT_EQ(Module::Load("D3D8.DLL"), nullptr);
  // A module outside the engine's folder and the loader's path is reached only by its path.
  EXPECT_EQ(Module::Load("TestModuleAside010276.DLL"), nullptr);
  ModuleHandle aside = Module::Load(PM_TEST_MODULE_ASIDE_DIR "/TestModuleAside010276.DLL");
  ASSERT_NE(aside, nullptr);
  EXPECT_EQ(reinterpret_cast<IntFn>(Module::Symbol(aside, "?TestModuleAnswer@@YAHXZ"))(), 43);
  SetLastErrorCode(0);
  EXPECT_EQ(Module::Symbol(aside, "?Missing@@YAHXZ"), nullptr);
  EXPECT_EQ(GetLastErrorCode(), uint32_t(ENOENT));
  EXPECT_EQ(Module::Symbol(nullptr, "TestModuleAnswer"), nullptr);
  EXPECT_TRUE(Module::Free(aside));
  EXPECT_FALSE(Module::Free(nullptr));
  std::string log = testing::internal::GetCapturedStderr();
  EXPECT_NE(log.find("Module::Load: Pelmora010276Missing.DLL not loaded ("), std::string::npos) << log;
  EXPECT_NE(log.find("Module::Symbol: ?Missing@@YAHXZ not found."), std::string::npos) << log;
}

TEST(ModuleTest, ModuleDirTakesThePlaceOfTheEngineFolder) {
  setenv("PM_MODULE_DIR", PM_TEST_MODULE_ASIDE_DIR, 1);
  EXPECT_EQ(Module::ModuleFolder(), PM_TEST_MODULE_ASIDE_DIR);
  ModuleHandle aside = Module::Load("TestModuleAside010276.DLL");
  EXPECT_NE(aside, nullptr);
  if (aside) Module::Free(aside);
  EXPECT_EQ(Module::Load("TestModule010276.DLL"), nullptr);
  unsetenv("PM_MODULE_DIR");
  EXPECT_EQ(Module::ModuleFolder(), Module::EngineFolder());
}

}  // namespace
}  // namespace PM
