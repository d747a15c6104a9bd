#include "HeaderPurpose.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <vector>

namespace PM::ClassDoc {

std::string FirstCommentSentence(const std::string& headerText) {
  std::istringstream in(headerText);
  std::string line, text;
  while (std::getline(in, line) && line.rfind("//", 0) == 0) {
    size_t start = line.find_first_not_of("/ ");
    if (start == std::string::npos) break;  // an empty comment line ends the paragraph
    if (!text.empty()) text += ' ';
    text += line.substr(start);
    // A sentence ends at a full stop followed by a blank or the end of the line.
    size_t stop = text.find(". ");
    if (stop != std::string::npos) return text.substr(0, stop + 1);
    if (text.back() == '.') return text;
  }
  return text;
}

namespace {

// The class names a header declares: each "ClassId::X, \"X\"" (the id and name arguments of
// EngineClass<...> or of a typed class template).
std::vector<std::string> DeclaredClasses(const std::string& text) {
  std::vector<std::string> names;
  const auto word = [&](size_t at) {
    size_t end = at;
    while (end < text.size() && (std::isalnum(static_cast<unsigned char>(text[end])) || text[end] == '_')) ++end;
    return end;
  };
  const auto blanks = [&](size_t at) {
    while (at < text.size() && std::isspace(static_cast<unsigned char>(text[at]))) ++at;
    return at;
  };
  static const std::string kId = "ClassId::";
  for (size_t at = text.find(kId); at != std::string::npos; at = text.find(kId, at + 1)) {
    size_t lineStart = text.rfind('\n', at);
    lineStart = lineStart == std::string::npos ? 0 : lineStart + 1;
    if (text.find("//", lineStart) < at) continue;  // an example in a comment
    size_t p = blanks(word(at + kId.size()));
    if (p >= text.size() || text[p] != ',') continue;
    p = blanks(p + 1);
    if (p >= text.size() || text[p] != '"') continue;
    size_t end = word(p + 1);
    if (end < text.size() && text[end] == '"' && end > p + 1) names.push_back(text.substr(p + 1, end - p - 1));
  }
  return names;
}

// "SLight and TLight: the light's ..." says what the classes are without their names: "The light's ...".
std::string WithoutNamePrefix(const std::string& sentence, const std::vector<std::string>& names) {
  size_t colon = sentence.find(": ");
  if (colon == std::string::npos || colon + 2 >= sentence.size()) return sentence;
  std::istringstream words(sentence.substr(0, colon));
  std::string w;
  while (words >> w)
    if (w != "and" && std::find(names.begin(), names.end(), w) == names.end()) return sentence;
  std::string rest = sentence.substr(colon + 2);
  rest[0] = char(std::toupper(static_cast<unsigned char>(rest[0])));
  return rest;
}

}  // namespace

std::map<std::string, std::string> ReadHeaderPurposes(const std::string& sourceDir) {
  // In path order, so that the page does not depend on the order the folders are listed in.
  std::vector<std::filesystem::path> headers;
  std::error_code ec;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(sourceDir, ec))
    if (entry.is_regular_file() && entry.path().extension() == ".h") headers.push_back(entry.path());
  std::sort(headers.begin(), headers.end());
  std::map<std::string, std::string> purposes;
  for (const auto& path : headers) {
    std::ifstream file(path);
    std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    std::vector<std::string> names = DeclaredClasses(text);
    if (names.empty()) continue;
    std::string purpose = WithoutNamePrefix(FirstCommentSentence(text), names);
    if (purpose.empty()) continue;
    for (const std::string& name : names) purposes.emplace(name, purpose);
  }
  return purposes;
}

}  // namespace PM::ClassDoc
