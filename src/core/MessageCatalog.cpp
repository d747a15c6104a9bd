#include "core/MessageCatalog.h"

#include <cctype>
#include <cerrno>
#include <cstring>
#include <memory>
#include <mutex>

#include "core/Language.h"
#include "core/Log.h"
#include "platform/InertText.h"
#include "platform/SafeFile.h"

namespace PM {

namespace {

constexpr int64_t kMaxCatalogBytes = int64_t(64) << 20;

// One C escape; `p` is at the character after the backslash and is left on the escape's last one.
bool ReadEscape(const char*& p, const char* end, std::string& out) {
  switch (char c = *p) {
    case 'n':
      out += '\n';
      break;
    case 't':
      out += '\t';
      break;
    case 'r':
      out += '\r';
      break;
    case 'a':
      out += '\a';
      break;
    case 'b':
      out += '\b';
      break;
    case 'f':
      out += '\f';
      break;
    case 'v':
      out += '\v';
      break;
    case '\\':
    case '"':
    case '\'':
    case '?':
      out += c;
      break;
    case 'x': {
      int v = 0, digits = 0;
      for (; p + 1 < end && digits < 2 && isxdigit(uint8_t(p[1])); ++digits, ++p)
        v = v * 16 + (isdigit(uint8_t(p[1])) ? p[1] - '0' : (p[1] | 0x20) - 'a' + 10);
      if (digits == 0) return false;
      out += char(v);
      break;
    }
    default: {
      if (c < '0' || c > '7') return false;
      int v = c - '0';
      for (int digits = 1; p + 1 < end && digits < 3 && p[1] >= '0' && p[1] <= '7'; ++digits, ++p)
        v = v * 8 + (p[1] - '0');
      out += char(v & 0xFF);
    }
  }
  return true;
}

// Reads the quoted strings of one line (adjacent strings join) starting at `p`; false with a reason.
bool ReadQuoted(const char*& p, const char* end, std::string& out, const char*& why) {
  while (p < end && (*p == ' ' || *p == '\t')) ++p;
  if (p == end || *p != '"') return (why = "a quoted string was expected"), false;
  while (p < end && *p == '"') {
    for (++p; p < end && *p != '"'; ++p) {
      if (*p != '\\') {
        out += *p;
        continue;
      }
      if (++p == end) break;
      if (!ReadEscape(p, end, out)) return (why = "an unknown escape"), false;
    }
    if (p == end) return (why = "the string is not closed"), false;
    ++p;
    while (p < end && (*p == ' ' || *p == '\t')) ++p;
  }
  if (p != end) return (why = "text follows the closing quote"), false;
  return true;
}

bool StartsWithWord(const char* p, const char* end, const char* word) {
  size_t n = std::strlen(word);
  return size_t(end - p) >= n && std::memcmp(p, word, n) == 0 &&
         (size_t(end - p) == n || p[n] == ' ' || p[n] == '\t' || p[n] == '"');
}

std::mutex g_lock;
std::shared_ptr<const MessageCatalog> g_catalogs[kCatalogLanguages];
}  // namespace

bool MessageCatalog::Parse(const char* bytes, size_t n, const char* source) {
  std::unordered_map<std::string, std::string> entries;
  enum Field { kNone, kId, kStr } field = kNone;
  std::string id, str;
  int line = 0, idLine = 0;
  const char* why = nullptr;

  auto finish = [&]() {  // an entry is complete: keep it unless it is the header or untranslated
    if (!id.empty() && !str.empty()) entries[id] = str;
    id.clear();
    str.clear();
    field = kNone;
  };

  const char* p = bytes;
  const char* end = bytes + n;
  if (n >= 3 && std::memcmp(p, "\xEF\xBB\xBF", 3) == 0) p += 3;
  while (p < end && !why) {
    ++line;
    const char* eol = static_cast<const char*>(std::memchr(p, '\n', size_t(end - p)));
    const char* next = eol ? eol + 1 : end;
    const char* e = eol ? eol : end;
    if (e > p && e[-1] == '\r') --e;
    while (p < e && (*p == ' ' || *p == '\t')) ++p;
    if (p == e || *p == '#') {
      // blank line or comment
    } else if (*p == '"') {
      if (field == kNone)
        why = "a continuation line outside an entry";
      else
        ReadQuoted(p, e, field == kId ? id : str, why);
    } else if (StartsWithWord(p, e, "msgid")) {
      if (field == kId)
        why = "msgid without msgstr";
      else {
        if (field == kStr) finish();
        field = kId;
        idLine = line;
        p += 5;
        ReadQuoted(p, e, id, why);
      }
    } else if (StartsWithWord(p, e, "msgstr")) {
      if (field != kId)
        why = "msgstr without msgid";
      else {
        field = kStr;
        p += 6;
        ReadQuoted(p, e, str, why);
      }
    } else if (StartsWithWord(p, e, "msgctxt")) {
      why = "msgctxt is not supported";
    } else if (StartsWithWord(p, e, "msgid_plural") || (e - p >= 7 && std::memcmp(p, "msgstr[", 7) == 0)) {
      why = "plural forms are not supported";
    } else {
      why = "unknown keyword";
    }
    p = next;
  }
  if (!why && field == kId) {
    why = "msgid without msgstr";
    line = idLine;
  }
  if (why) {
    LogError("MessageCatalog::Parse: ", source ? source : "(NULL)", "(", line, "): ", why, ".");
    return false;
  }
  finish();
  m_entries.swap(entries);
  return true;
}

const std::string* MessageCatalog::Find(const std::string& msgid) const {
  auto it = m_entries.find(msgid);
  return it == m_entries.end() ? nullptr : &it->second;
}

bool LoadMessageCatalog(int language, const char* bytes, size_t n, const char* source) {
  if (language < 0 || language >= kCatalogLanguages) {
    LogError("MessageCatalog::Load: language ", language, " is out of range.");
    return false;
  }
  auto catalog = std::make_shared<MessageCatalog>();
  if (!catalog->Parse(bytes, n, source)) return false;
  std::lock_guard<std::mutex> g(g_lock);
  g_catalogs[language] = std::move(catalog);
  return true;
}

bool LoadMessageCatalogFile(int language, const char* path) {
  // A folder, a special file or an unreadable one is a failure that keeps the catalogue in use.
  std::string bytes;
  int error = 0;
  if (!ReadRegularFile(path ? path : "", bytes, kMaxCatalogBytes, error)) {
    if (error == ENOENT)
      LogError("MessageCatalog::Load: cannot open \"", path ? InertText(path).c_str() : "(NULL)", "\".");
    else
      LogError("MessageCatalog::Load: cannot read \"", path ? InertText(path).c_str() : "(NULL)",
               "\": ", OpenFailureText(error), ".");
    return false;
  }
  return LoadMessageCatalog(language, bytes.data(), bytes.size(), path);
}

void ClearMessageCatalogs() {
  std::lock_guard<std::mutex> g(g_lock);
  for (auto& c : g_catalogs) c.reset();
}

String TranslateFor(int language, const char* msgid) {
  if (!msgid) return String();
  std::shared_ptr<const MessageCatalog> catalog;
  if (language >= 0 && language < kCatalogLanguages) {
    std::lock_guard<std::mutex> g(g_lock);
    catalog = g_catalogs[language];
  }
  const std::string* text = catalog ? catalog->Find(msgid) : nullptr;
  return text ? String(text->data(), int(text->size())) : String(msgid);
}

String Translate(const char* msgid) { return TranslateFor(GetLanguage(), msgid); }

}  // namespace PM
