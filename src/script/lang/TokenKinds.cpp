#include "script/lang/TokenKinds.h"

#include <cstdio>

namespace PM {

namespace LexerTables {
uint32_t g_charClass[257];
int32_t g_precedence[257];
const char* g_tokenText[257];
}  // namespace LexerTables

namespace {

struct OperatorEntry {
  int32_t kind;
  const char* text;
  int32_t precedence;
};

constexpr OperatorEntry kOperators[] = {
    {49, "-", 5},   {50, "+", 5},   {51, "/", 4},   {52, "*", 4},   {53, "%", 4},   {54, "<<", 6},
    {55, ">>", 6},  {56, "~", 255}, {57, "&", 9},   {58, "|", 11},  {59, "^", 10},  {60, "!", 255},
    {61, "&&", 12}, {62, "||", 14}, {63, "^^", 13}, {64, "<=", 7},  {65, ">=", 7},  {66, "<", 7},
    {67, ">", 7},   {68, "!=", 8},  {69, "==", 8},  {80, "[", 255}, {81, "]", 255}, {82, "(", 255},
    {83, ")", 255}, {84, "{", 255}, {85, "}", 255}, {86, "[", 255}, {87, "(", 255}, {88, "{", 255},
};

void FillTables() {
  using namespace LexerTables;
  for (int c = -1; c < 256; ++c) {
    uint32_t m = 0;
    if (c == -1)
      m = kClassEnd;
    else if (c == '\r' || c == '\n')
      m = kClassLineEnd;
    else if (c == ' ' || c == '\t')
      m = kClassBlank;
    else if (c >= '0' && c <= '9')
      m = kClassDigit;
    else if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_')
      m = kClassLetter;
    else if (c == '"')
      m = kClassDoubleQuote;
    else if (c == '.')
      m = kClassPeriod;
    else if (c == ':')
      m = kClassColon;
    else if (c == '$')
      m = kClassDollar;
    else if (c == '#')
      m = kClassHash;
    else if (c == '\'')
      m = kClassSingleQuote;
    g_charClass[c + 1] = m;
  }
  for (int i = 0; i < 257; ++i) {
    g_precedence[i] = kNoPrecedence;
    g_tokenText[i] = "???";
  }
  for (const OperatorEntry& e : kOperators) {
    g_precedence[e.kind + 1] = e.precedence;
    g_tokenText[e.kind + 1] = e.text;
  }
}

}  // namespace

void InitLexerTables() {
  static const bool filled = (FillTables(), true);  // once, even when the first lexers start on several threads
  (void)filled;
}

int32_t TokenPrecedence(int32_t kind) {
  return kind >= -1 && kind <= 255 ? LexerTables::g_precedence[kind + 1] : kNoPrecedence;
}

const char* TokenText(int32_t kind) { return kind >= -1 && kind <= 255 ? LexerTables::g_tokenText[kind + 1] : "???"; }

String TokenKindName(int32_t kind) {
  char text[24];
  std::snprintf(text, sizeof text, "LT_0x%X", unsigned(kind));
  return String(text);
}

}  // namespace PM
