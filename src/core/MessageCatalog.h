// Message catalogues: translated texts read from a subset of the PO format, one catalogue per
// interface language, looked up by the English text (msgid).
#pragma once

#include <cstddef>
#include <string>
#include <unordered_map>

#include "core/String.h"

namespace PM {

constexpr int kCatalogLanguages = 3;  // English, German, Spanish

class MessageCatalog {
 public:
  // Reads a whole catalogue; `source` names it in error lines. On a malformed catalogue the error is
  // logged with its line number, false is returned and the catalogue is left as it was.
  bool Parse(const char* bytes, size_t n, const char* source);
  // The translation, or nullptr when there is none (missing or empty msgstr).
  const std::string* Find(const std::string& msgid) const;
  size_t Size() const { return m_entries.size(); }

 private:
  std::unordered_map<std::string, std::string> m_entries;
};

// Installs the catalogue of a language (0..2) from PO bytes or a file; false, logged, when it is
// malformed, unreadable or the language is out of range.
bool LoadMessageCatalog(int language, const char* bytes, size_t n, const char* source);
bool LoadMessageCatalogFile(int language, const char* path);
void ClearMessageCatalogs();

// The text in the interface language (GetLanguage): the msgstr, or the msgid itself when the
// catalogue has no translation for it.
String Translate(const char* msgid);
String TranslateFor(int language, const char* msgid);

}  // namespace PM
