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
}  // namespace

int ShowMessageDialog(const char* title, const char* text, int defaultAnswer) {
  return g_hook.load()(title, text, defaultAnswer);
}

MessageDialogHook SetMessageDialogHook(MessageDialogHook hook) { return g_hook.exchange(hook ? hook : DefaultDialog); }

}  // namespace PM
