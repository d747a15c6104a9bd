#include "storage/MultipartPath.h"

namespace PM {

bool ExpandMultipartPath(std::string_view path, std::vector<std::string>& out) {
  out.assign(1, std::string());
  for (size_t i = 0; i < path.size();) {
    size_t close = path[i] == '[' ? path.find(']', i + 1) : std::string_view::npos;
    if (close == std::string_view::npos) {
      size_t next = path.find('[', i + 1);
      if (path[i] == '[') next = path.size();  // unclosed: the rest is literal
      for (std::string& c : out) c.append(path.substr(i, next - i));
      i = next == std::string_view::npos ? path.size() : next;
      continue;
    }
    std::vector<std::string_view> alternatives;
    for (size_t a = i + 1;;) {
      size_t bar = path.find('|', a);
      if (bar == std::string_view::npos || bar > close) bar = close;
      alternatives.push_back(path.substr(a, bar - a));
      if (bar == close) break;
      a = bar + 1;
    }
    if (out.size() * alternatives.size() > size_t(kMaxMultipartCandidates)) {
      out.clear();
      return false;
    }
    std::vector<std::string> grown;
    grown.reserve(out.size() * alternatives.size());
    for (const std::string& c : out)
      for (std::string_view alt : alternatives) grown.push_back(c + std::string(alt));
    out.swap(grown);
    i = close + 1;
  }
  return true;
}

}  // namespace PM
