// How two characters' names are compared and how copied clips are renamed when one character's
// animation is merged into another.
#pragma once

#include <string_view>

#include "core/Array.h"
#include "core/String.h"
#include "script/object/ScriptObject.h"

namespace PM {

// The object's Name; empty for nil, null and objects that have none.
String NameOfObject(ScriptObject* object);

// Are the texts after the last ":" of each name (the whole name where there is none) equal?
bool ShortNamesEqual(std::string_view a, std::string_view b);

// Do a target and a source object name denote the same connection? Names without any ":" must be
// equal; otherwise the texts after the last ":" (the short names) are compared, where the first pair
// (entry 2i found in the target, 2i+1 in the source, at one offset) decides by the texts around it.
bool CharacterNamesMatch(std::string_view target, std::string_view source, const Array<String>& pairs);

// "label/find*/replace*suffix/": a clip name holding find at p becomes name[0, p) + replace + the
// rest after find + suffix.
struct RenameRule {
  String find;
  String replace;
  String suffix;
};

// The rule written in `text`; false when the text breaks the format.
bool ParseRenameRule(std::string_view text, RenameRule* rule);
// The name renamed by the first rule whose find text occurs in it; the name itself when none does.
String ApplyRenameRules(const String& name, const Array<RenameRule>& rules);

}  // namespace PM
