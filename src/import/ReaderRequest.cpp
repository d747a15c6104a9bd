#include "import/ReaderRequest.h"

#include <cerrno>
#include <cstdlib>
#include <limits>
#include <type_traits>

namespace PM::Import {

std::string ReaderUsage() {
  std::string usage = "usage: pm-import-reader";
  const ReaderRequest none;
  ForEachReaderOption(none, [&](const char* name, const auto& value) {
    using T = std::decay_t<decltype(value)>;
    usage += std::string(" [") + name +
             (std::is_same_v<T, std::string>                ? " TEXT]"
              : std::is_same_v<T, std::vector<std::string>> ? " TEXT]..."
                                                            : " N]");
  });
  return usage + " -- FILE";
}

std::vector<std::string> ReaderArguments(const ReaderRequest& request) {
  std::vector<std::string> args;
  ForEachReaderOption(request, [&](const char* name, const auto& value) {
    using T = std::decay_t<decltype(value)>;
    if constexpr (std::is_same_v<T, std::string>) {
      if (!value.empty()) args.insert(args.end(), {name, value});
    } else if constexpr (std::is_same_v<T, std::vector<std::string>>) {
      for (const std::string& each : value) args.insert(args.end(), {name, each});
    } else {
      args.insert(args.end(), {name, std::to_string(value)});
    }
  });
  args.insert(args.end(), {"--", request.file});
  return args;
}

namespace {

// `text` as a number of type T: decimal digits only, within T's range.
template <class T>
bool ParseNumber(const std::string& text, T& value) {
  if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos) return false;
  errno = 0;
  const unsigned long long v = std::strtoull(text.c_str(), nullptr, 10);
  if (errno || v > std::numeric_limits<T>::max()) return false;
  value = static_cast<T>(v);
  return true;
}

}  // namespace

bool ParseReaderArguments(const std::vector<std::string>& args, ReaderRequest& request, std::string& error) {
  size_t i = 0;
  for (; i < args.size() && args[i] != "--"; i += 2) {
    const std::string& name = args[i];
    if (i + 1 == args.size()) return error = "the option \"" + name + "\" has no value", false;
    const std::string& text = args[i + 1];
    bool known = false, ok = true;
    ForEachReaderOption(request, [&](const char* option, auto& value) {
      if (known || name != option) return;
      known = true;
      using T = std::decay_t<decltype(value)>;
      if constexpr (std::is_same_v<T, std::string>)
        value = text;
      else if constexpr (std::is_same_v<T, std::vector<std::string>>)
        value.push_back(text);
      else
        ok = ParseNumber(text, value);
    });
    if (!known) return error = "the option \"" + name + "\" is unknown", false;
    if (!ok) {
      error = "the value \"" + text + "\" of ";
      error += name + " is not a number it takes";
      return false;
    }
  }
  if (i + 2 != args.size() || args[i + 1].empty()) return error = "no \"-- FILE\" ends the arguments", false;
  request.file = args[i + 1];
  return true;
}

}  // namespace PM::Import
