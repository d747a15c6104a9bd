// The message dialog: shows a text with a title and returns the answer. The host may install its own
// handler; the default writes the text to stderr and returns the default answer at once, so nothing
// ever waits for a person.
#pragma once

namespace PM {

enum DialogAnswer : int { kAnswerOk = 1, kAnswerCancel = 2, kAnswerYes = 6, kAnswerNo = 7 };

using MessageDialogHook = int (*)(const char* title, const char* text, int defaultAnswer);

int ShowMessageDialog(const char* title, const char* text, int defaultAnswer = kAnswerOk);
// Installs a handler (null restores the default) and returns the one it replaces.
MessageDialogHook SetMessageDialogHook(MessageDialogHook hook);

// A message box with an icon beside its text, as a dialog's warnings come in.
enum class MessageIcon { kNone, kExclamation };
using MessageBoxHook = int (*)(const char* title, const char* text, MessageIcon icon, int defaultAnswer);
// Shows it through the installed box handler; the default one hands title and text to ShowMessageDialog,
// whose handlers show no icon.
int ShowMessageBox(const char* title, const char* text, MessageIcon icon, int defaultAnswer = kAnswerOk);
// Installs a box handler (null restores the default) and returns the one it replaces.
MessageBoxHook SetMessageBoxHook(MessageBoxHook hook);

}  // namespace PM
