#include "core/LogMsg.h"

#include <cinttypes>
#include <cstdio>
#include <string>

#include "core/Log.h"
#include "core/LogPipe.h"
#include "platform/InertText.h"
#include "platform/LastError.h"
#include "platform/MessageDialog.h"

namespace PM {

namespace {
// The dialog state of the calling thread: a report raised while its dialog is open says so once.
thread_local bool t_dialogOpen = false;
thread_local bool t_recursionShown = false;

void AppendArg(std::string& out, const LogArg& a) {
  char buf[64];
  switch (a.tag) {
    case kArgInt:
      snprintf(buf, sizeof buf, "%" PRId64, a.i);
      break;
    case kArgUnsigned:
      snprintf(buf, sizeof buf, "%" PRIu64, a.u);
      break;
    case kArgFloat: {
      snprintf(buf, sizeof buf, "%.7g", double(a.f));
      if (!std::strpbrk(buf, ".einfa")) std::strcat(buf, ".");
      break;
    }
    case kArgString:  // text from anywhere, a file's name or contents among it
      out += InertText(std::string_view(a.text, size_t(a.length)));
      return;
    case kArgResult:
      snprintf(buf, sizeof buf, "%08" PRIX32 " (%s)", uint32_t(a.u), ResultCodeName(uint32_t(a.u)));
      break;
    case kArgOSError: {
      out += std::to_string(a.i) + " (" + ErrorText(uint32_t(a.i)) + ")";
      return;
    }
    default:
      buf[0] = 0;
  }
  out += buf;
}

std::string FormatHead(ResultCode code, const char* description, const LogArg* args, int count) {
  char head[80];
  snprintf(head, sizeof head, "%s [%08" PRIX32 " %s]", ResultSeverityWord(code), code, ResultCodeName(code));
  std::string out = head;
  if (!description) return out;
  out += ' ';
  for (const char* p = description; *p; ++p) {
    int n = p[0] == '#' && p[1] >= '1' && p[1] <= '8' ? p[1] - '0' : 0;
    if (n > 0 && n <= count && args[n - 1].tag != kArgNone) {
      AppendArg(out, args[n - 1]);
      ++p;
    } else {
      out += *p;  // a placeholder without its argument stays as written
    }
  }
  return out;
}

int ConsoleColorOf(ResultCode code) {
  static const int kColors[] = {7, 7, 12, 14};  // success, info, error (red), warning (yellow)
  return kColors[code >> 30];
}

void WriteReport(StreamPipeRef& pipe, ResultCode code, const std::string& head, const char* location,
                 const char* function) {
  pipe->BeginMessage(0);
  pipe.SetColor(ConsoleColorOf(code), 0);
  pipe.Write(head.data(), int64_t(head.size())).EndLine();
  pipe.WriteText("    Location: ").WriteText(location ? InertText(location).c_str() : nullptr).EndLine();
  pipe.WriteText("    Function: ").WriteText(function).EndLine();
  pipe->EndMessage();
}
}  // namespace

ResultCode LogMsgV(ResultCode code, const char* location, const char* function, uint32_t mode, const char* description,
                   const LogArg* args, int count) {
  if (count > 8) count = 8;
  if (!args) count = 0;
  if ((code >> 30) == 2) CountErrorReport();  // the error codes (0x80000000 to 0xBFFFFFFF)
  std::string head = FormatHead(code, description, args, count);
  WriteReport(LogErrPipe(), code, head, location, function);
  // Both pipes on one console (as a command-line host sets them up): the out pipe's copy goes to its file.
  auto* out = dynamic_cast<LogPipe*>(LogOutPipe().Get());
  auto* err = dynamic_cast<LogPipe*>(LogErrPipe().Get());
  if (LogOutPipe().Get() == LogErrPipe().Get()) {
    // one pipe: written once
  } else if (out && err && out->ConsoleFd() >= 0 && out->ConsoleFd() == err->ConsoleFd()) {
    out->Lock();
    out->SetConsoleMuted(true);
    WriteReport(LogOutPipe(), code, head, location, function);
    out->Flush();
    out->SetConsoleMuted(false);
    out->Unlock();
  } else {
    WriteReport(LogOutPipe(), code, head, location, function);
  }
  if (mode & kLogMsgNoDialog) return code;

  if (t_dialogOpen) {
    if (!t_recursionShown) {
      t_recursionShown = true;
      LogError("LogMsg was called recursive.");
      ShowMessageDialog(ResultSeverityWord(code), "LogMsg was called recursive.", kAnswerOk);
    }
    return code;
  }
  std::string text = head + "\n    Location: " + (location ? InertText(location) : "(NULL)") +
                     "\n    Function: " + (function ? function : "(NULL)");
  t_dialogOpen = true;
  t_recursionShown = false;
  ShowMessageDialog(ResultSeverityWord(code), text.c_str(), kAnswerOk);
  t_dialogOpen = false;
  return code;
}

}  // namespace PM
