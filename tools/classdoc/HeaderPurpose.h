// The purpose of each engine class as its header states it: the first sentence of the header's leading
// comment, found through the class's declaration (its ClassId::X, "X" arguments) under src/.
#pragma once

#include <map>
#include <string>

namespace PM::ClassDoc {

// Class name -> first sentence of the comment that opens the header declaring it.
std::map<std::string, std::string> ReadHeaderPurposes(const std::string& sourceDir);

// The first sentence of a header's opening "//" comment (its lines joined); empty without one.
std::string FirstCommentSentence(const std::string& headerText);

}  // namespace PM::ClassDoc
