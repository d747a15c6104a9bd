#include "platform/MessageDialog.h"

#include <unistd.h>

#include <atomic>
#include <cstring>

namespace PM {

namespace {
// Allocates nothing: it also reports running out of memory.
int DefaultDialog(const char* title, const char* text, int defaultAnswer) {
  for (const char* part : {title ? title : "", ": ", text ? text : "", "\n"}) {
    ssize_t r = ::write(2, part, std::strlen(part));
    (void)r;
  }
  return defaultAnswer;
}

std::atomic<MessageDialogHook> g_hook{DefaultDialog};

int DefaultBox(const char* title, const char* text, MessageIcon, int defaultAnswer) {
  return ShowMessageDialog(title, text, defaultAnswer);
}

std::atomic<MessageBoxHook> g_boxHook{DefaultBox};
}  // namespace

int ShowMessageDialog(const char* title, const char* text, int defaultAnswer) {
  return g_hook.load()(title, text, defaultAnswer);
}

MessageDialogHook SetMessageDialogHook(MessageDialogHook hook) { return g_hook.exchange(hook ? hook : DefaultDialog); }

int ShowMessageBox(const char* title, const char* text, MessageIcon icon, int defaultAnswer) {
  return g_boxHook.load()(title, text, icon, defaultAnswer);
}

MessageBoxHook SetMessageBoxHook(MessageBoxHook hook) { return g_boxHook.exchange(hook ? hook : DefaultBox); }

}  // namespace PM
