#include "anim/CharacterNames.h"

#include <string>

#include "scene/Object.h"
#include "script/object/MemberAccess.h"

namespace PM {

namespace {

std::string_view ShortName(std::string_view name) {
  size_t colon = name.rfind(':');
  return colon == std::string_view::npos ? name : name.substr(colon + 1);
}

std::string_view View(const String& s) { return s.View(); }

}  // namespace

String NameOfObject(ScriptObject* o) {
  return o && o->IsA(Object_I::kClassId) ? MemberGet<VString>(o, kMemberObjectName) : String();
}

bool ShortNamesEqual(std::string_view a, std::string_view b) { return ShortName(a) == ShortName(b); }

bool CharacterNamesMatch(std::string_view target, std::string_view source, const Array<String>& pairs) {
  if (target.find(':') == std::string_view::npos && source.find(':') == std::string_view::npos) return target == source;
  std::string_view t = ShortName(target);
  std::string_view s = ShortName(source);
  for (int i = 0; i + 1 < pairs.Count(); i += 2) {
    std::string_view a = View(pairs[i]);
    std::string_view b = View(pairs[i + 1]);
    size_t at = t.find(a);
    if (at == std::string_view::npos || s.find(b) != at) continue;
    return t.substr(0, at) == s.substr(0, at) && t.substr(at + a.size()) == s.substr(at + b.size());
  }
  return t == s;
}

bool ParseRenameRule(std::string_view text, RenameRule* rule) {
  size_t labelEnd = text.find('/');
  if (labelEnd == std::string_view::npos) return false;
  size_t findEnd = text.find('*', labelEnd + 1);
  if (findEnd == std::string_view::npos || findEnd + 1 >= text.size() || text[findEnd + 1] != '/') return false;
  size_t replaceEnd = text.find('*', findEnd + 2);
  if (replaceEnd == std::string_view::npos) return false;
  size_t close = text.find('/', replaceEnd + 1);
  if (close != text.size() - 1) return false;
  rule->find = String(text.substr(labelEnd + 1, findEnd - labelEnd - 1));
  rule->replace = String(text.substr(findEnd + 2, replaceEnd - findEnd - 2));
  rule->suffix = String(text.substr(replaceEnd + 1, close - replaceEnd - 1));
  return true;
}

String ApplyRenameRules(const String& name, const Array<RenameRule>& rules) {
  std::string_view n = View(name);
  for (int i = 0; i < rules.Count(); ++i) {
    std::string_view find = View(rules[i].find);
    size_t at = n.find(find);
    if (at == std::string_view::npos) continue;
    std::string out(n.substr(0, at));
    out.append(View(rules[i].replace)).append(n.substr(at + find.size())).append(View(rules[i].suffix));
    return String(std::string_view(out));
  }
  return name;
}

}  // namespace PM
