// Result codes, LogMsg's report layout and placeholders, the dialog and its recursion guard.
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <string>
#include <vector>

#include "LogTestUtil.h"
#include "core/LogMsg.h"
#include "platform/MessageDialog.h"

namespace PM {
namespace {

using Test::LogDir;

std::vector<std::string> g_dialogs;
int g_nested = 0;

int RecordDialog(const char* title, const char* text, int answer) {
  g_dialogs.push_back(std::string(title) + "|" + text);
  for (; g_nested > 0; --g_nested) LogMsgText(EFail, "inner", "Inner::Report", 2, "again");
  return answer;
}

struct DialogCapture {
  DialogCapture() {
    g_dialogs.clear();
    SetMessageDialogHook(RecordDialog);
  }
  ~DialogCapture() { SetMessageDialogHook(nullptr); }
};

TEST(LogMsg, FillsPlaceholdersReturnsItsCodeAndWritesBothPipes) {
  LogDir dir;
  DialogCapture dialogs;
  String name("model.pmk");
  ResultCode r =
      LogMsg(EInvalidArgument, "Storage.cpp(12)", "Storage::Open", kLogMsgNoDialog, "#1 #2 #3 #4 #5 #6 #7 #8 #9 #0 ##1",
             name, -42, LogArg::Result(ENotFound), LogArg::OSError(ENOENT), 7u, 1.5f, 2.0, "text");
  EXPECT_EQ(r, EInvalidArgument);
  const std::string expected =
      "Error [80000003 EInvalidArgument] model.pmk -42 8000000A (ENotFound) 2 (No such file or directory) 7 1.5 2. "
      "text #9 #0 #model.pmk\n"
      "    Location: Storage.cpp(12)\n"
      "    Function: Storage::Open\n";
  EXPECT_EQ(dir.Err(), expected);
  EXPECT_EQ(dir.Out(), expected);
  EXPECT_TRUE(g_dialogs.empty());
}

TEST(LogMsg, PipesSharingAConsoleShowTheReportThereOnce) {
  LogDir dir;
  std::string console = dir.File("console.txt");
  int fd = ::open(console.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  ASSERT_GE(fd, 0);
  int outFd = OutLogPipe().ConsoleFd(), errFd = ErrLogPipe().ConsoleFd();
  OutLogPipe().OpenConsole(fd);
  ErrLogPipe().OpenConsole(fd);
  LogMsgText(EFail, "here", "Host::Run", kLogMsgNoDialog, "once");
  OutLogPipe().OpenConsole(outFd);
  ErrLogPipe().OpenConsole(errFd);
  ::close(fd);
  const std::string report = "Error [80000008 EFail] once\n    Location: here\n    Function: Host::Run\n";
  EXPECT_EQ(PM::Test::ReadFile(console), report);
  EXPECT_EQ(dir.Err(), report);  // each pipe's file still has it
  EXPECT_EQ(dir.Out(), report);
}

TEST(LogMsg, SeverityWordsNamesAndShortForms) {
  LogDir dir;
  DialogCapture dialogs;
  LogMsgBare(SOK, "a", "b", kLogMsgNoDialog);
  LogMsgBare(IPerformance, "a", "b", kLogMsgNoDialog);
  LogMsgBare(0xC0000005, "a", "b", kLogMsgNoDialog);
  LogMsgText(ETimeOut, nullptr, "b", kLogMsgNoDialog, "missing #1");
  LogMsgArg1(0x80000099, "a", "b", kLogMsgNoDialog, "<#1>", LogArg(3));
  LogMsgArg2(IUnsupported, "a", "b", kLogMsgNoDialog, "#2#1", LogArg("x"), LogArg("y"));
  EXPECT_EQ(dir.Err(),
            "Success [00000000 SOK]\n    Location: a\n    Function: b\n"
            "Info [40000001 IPerformance]\n    Location: a\n    Function: b\n"
            "Warning [C0000005 E???]\n    Location: a\n    Function: b\n"
            "Error [80000012 ETimeOut] missing #1\n    Location: (NULL)\n    Function: b\n"
            "Error [80000099 E???] <3>\n    Location: a\n    Function: b\n"
            "Info [40000002 IUnsupported] yx\n    Location: a\n    Function: b\n");
}

TEST(LogMsg, RecursiveReportFromTheDialogSaysSoOnce) {
  LogDir dir;
  DialogCapture dialogs;
  g_nested = 3;
  EXPECT_EQ(LogMsgText(ENotFound, "outer", "Outer::Report", 2, "first"), ENotFound);
  ASSERT_EQ(g_dialogs.size(), 2u);
  EXPECT_EQ(g_dialogs[0], "Error|Error [8000000A ENotFound] first\n    Location: outer\n    Function: Outer::Report");
  EXPECT_EQ(g_dialogs[1], "Error|LogMsg was called recursive.");
  std::string err = dir.Err();
  EXPECT_EQ(err.find("Error LogMsg was called recursive.\n"), err.rfind("Error LogMsg was called recursive.\n"));
  EXPECT_NE(err.find("Error [80000008 EFail] again"), std::string::npos);  // the inner reports are still logged

  // Once the dialog is closed, the next report shows its own dialog again.
  LogMsgText(EFail, "later", "Later", 2, "next");
  ASSERT_EQ(g_dialogs.size(), 3u);
  EXPECT_EQ(g_dialogs[2].substr(0, 28), "Error|Error [80000008 EFail]");
}

TEST(ResultCode, NamedCodesAreStableAndNamed) {
  ResultCode a = RegisterResultCode("EArchiveCorrupt");
  EXPECT_EQ(a, 0xA3584197u);  // depends on the name only
  EXPECT_EQ(RegisterResultCode("EArchiveCorrupt"), a);
  ResultCode b = RegisterResultCode("EZipTrailer");
  EXPECT_NE(a, b);
  EXPECT_STREQ(ResultCodeName(a), "EArchiveCorrupt");
  EXPECT_STREQ(ResultCodeName(b), "EZipTrailer");
  EXPECT_STREQ(ResultSeverityWord(a), "Error");
  EXPECT_STREQ(ResultCodeName(0x80000004), "E???");
  EXPECT_STREQ(ResultCodeName(0x80000012), "ETimeOut");
}

}  // namespace
}  // namespace PM
