// The interface language that dialogs and message catalogues choose their texts by.
#pragma once

namespace PM {

enum Language : int { kLanguageEnglish = 0, kLanguageGerman = 1, kLanguageSpanish = 2 };

int GetLanguage();
// Set by the host; any value is kept (each reader says how it treats unknown ones).
void SetLanguage(int language);

}  // namespace PM
