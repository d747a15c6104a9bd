#include "TokenPage.h"

#include <regex>
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
  static const std::regex quoted("^\"(.+)\"$");
  std::smatch m;
  if (std::regex_match(comment, m, quoted)) return Code(m[1].str());
  return comment;
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
  static const std::regex row(R"(^\s*kTok(\w+)\s*=\s*(\d+),?\s*(?://\s*(.*?))?\s*$)");
  std::string line;
  while (std::getline(lines, line)) {
    std::smatch m;
    if (!std::regex_match(line, m, row)) continue;
    const int32_t kind = std::stoi(m[2].str());
    const std::string reads = Reads(kind, m[3].str());
    if (reads.empty()) unexplained.push_back(m[1].str());
    page << "| " << TokenKindName(kind).CStr() << " | " << m[1].str() << " | " << reads << " |\n";
  }
  return page.str();
}

}  // namespace PM::ClassDoc
