// The script token kinds page (docs/token-kinds.md): every kind of the token kind enumeration with the
// code messages name it by ("LT_0x13") and what it reads as, so that a parser message can be read.
#pragma once

#include <string>
#include <vector>

namespace PM::ClassDoc {

// The page in Markdown, from the text of the token kinds header (src/script/lang/TokenKinds.h). A kind
// that has neither an operator text nor a comment to say what it reads as is added to `unexplained`.
std::string WriteTokenPage(const std::string& header, std::vector<std::string>& unexplained);

}  // namespace PM::ClassDoc
