#include "core/FormatLastError.h"

#include "platform/LastError.h"

namespace PM {

uint32_t FormatLastError(String& text, const String& /*moduleName*/) {
  const uint32_t code = GetLastErrorCode();
  text.Clear();
  if (code != 0) text = String(std::string_view(ErrorText(code)));
  return code;
}

}  // namespace PM
