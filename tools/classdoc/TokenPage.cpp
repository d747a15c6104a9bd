#include "TokenPage.h"

#include <cctype>
#include <sstream>

#include "script/lang/TokenKinds.h"

namespace PM::ClassDoc {

namespace {

// A code span in a table cell, where a column bar must be escaped.
std::string Code(const std::string& text) {
  std::string out = "`";
  for (char c : text) out += c == '|' ? std::string("\\|") : std::string(1, c);
  return out + "`";
}

// What a kind reads as: its operator text as code, else its comment (a quoted text as code).
std::string Reads(int32_t kind, const std::string& comment) {
  const std::string text = TokenText(kind);
  if (text != "???") return Code(text);
  if (comment.size() > 2 && comment.front() == '"' && comment.back() == '"')
    return Code(comment.substr(1, comment.size() - 2));
  return comment;
}

std::string Trimmed(const std::string& text) {
  size_t first = 0, last = text.size();
  while (first < last && std::isspace(static_cast<unsigned char>(text[first]))) ++first;
  while (last > first && std::isspace(static_cast<unsigned char>(text[last - 1]))) --last;
  return text.substr(first, last - first);
}

// One enumerator line "  kTokName = 19,  // comment": the name without "kTok", the code and the
// comment; false for other lines.
bool ParseRow(const std::string& line, std::string& name, int32_t& kind, std::string& comment) {
  const std::string text = Trimmed(line);
  const size_t equals = text.find(" = ");
  if (text.rfind("kTok", 0) != 0 || equals == std::string::npos) return false;
  name = text.substr(4, equals - 4);
  size_t end = equals + 3;
  while (end < text.size() && std::isdigit(static_cast<unsigned char>(text[end]))) ++end;
  if (end == equals + 3) return false;
  kind = std::stoi(text.substr(equals + 3, end - equals - 3));
  const size_t slashes = text.find("//", end);
  comment = slashes == std::string::npos ? std::string() : Trimmed(text.substr(slashes + 2));
  return true;
}

}  // namespace

std::string WriteTokenPage(const std::string& header, std::vector<std::string>& unexplained) {
  InitLexerTables();
  std::ostringstream page;
  page << "# Script token kinds\n\n"
          "<!-- Written by tools/classdoc --tokens from src/script/lang/TokenKinds.h and the lexer's operator\n"
          "     table; a test checks that it is current. -->\n\n"
          "The script parser's messages name a token by its kind: `LT_0x` and the kind's code in hexadecimal.\n"
          "`ReadExpect: expected LT_0x13 but found LT_0xFF.` reads \"expected `;` but found the end of the "
          "script\".\n\n"
          "| Code | Kind | Reads as |\n"
          "|------|------|----------|\n";
  const size_t start = header.find("enum TokenKind ");
  const size_t end = header.find("};", start);
  std::istringstream lines(start == std::string::npos ? std::string() : header.substr(start, end - start));
  std::string line, name, comment;
  int32_t kind = 0;
  while (std::getline(lines, line)) {
    if (!ParseRow(line, name, kind, comment)) continue;
    const std::string reads = Reads(kind, comment);
    if (reads.empty()) unexplained.push_back(name);
    page << "| " << TokenKindName(kind).CStr() << " | " << name << " | " << reads << " |\n";
  }
  return page.str();
}

}  // namespace PM::ClassDoc
