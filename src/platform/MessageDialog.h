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

}  // namespace PM
