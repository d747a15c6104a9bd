#include "render/opengl/ShaderSources.h"

#include <utility>

#include "core/Log.h"
#include "storage/Storage.h"

namespace PM {

namespace {

// Sources beyond this are refused rather than handed to the driver.
constexpr int64_t kMaxShaderSource = 1 << 24;
constexpr const char* kStageFiles[2] = {"vertex shader file", "fragment shader file"};

template <class... A>
bool Refuse(const std::string& who, const std::string& path, const A&... why) {
  if (path.empty())
    Log(LogOutPipe(), kLevelError, who.c_str(), ": ", why..., "; nothing is compiled.");
  else
    Log(LogOutPipe(), kLevelError, who.c_str(), " (", path.c_str(), "): ", why..., "; nothing is compiled.");
  return false;
}

// The whole file: a zero byte would end the text the driver sees, so it is refused rather than cut.
bool ReadWhole(const std::string& who, const std::string& path, int stage, String& text) {
  if (path.empty()) return Refuse(who, path, "no ", kStageFiles[stage], " is set");
  String opened;
  ResultCode code = 0;
  StreamPipeRef pipe(Storage::OpenStream(String(std::string_view(path)), Storage::kReadQuiet, opened, &code));
  if (pipe.IsNull()) {
    if (code == Storage::kNotFound) return Refuse(who, path, "the ", kStageFiles[stage], " is not found");
    return Refuse(who, path, "the ", kStageFiles[stage], " cannot be opened (code 0x", Hex{code}, ")");
  }
  std::string bytes;
  char chunk[4096];
  for (;;) {
    const int64_t n = pipe->Read(chunk, int64_t(sizeof chunk));
    if (n < 0) return Refuse(who, path, "the ", kStageFiles[stage], " cannot be read");
    if (n == 0) break;
    if (int64_t(bytes.size()) + n > kMaxShaderSource)
      return Refuse(who, path, "the ", kStageFiles[stage], " is larger than ", kMaxShaderSource, " bytes");
    bytes.append(chunk, size_t(n));
  }
  if (const size_t zero = bytes.find('\0'); zero != std::string::npos)
    return Refuse(who, path, "the ", kStageFiles[stage], " holds a zero byte at offset ", int64_t(zero));
  text = String(std::string_view(bytes));
  return true;
}

}  // namespace

ShaderSources ShaderSources::Read(std::string who, std::string vertexPath, std::string fragmentPath) {
  ShaderSources s;
  s.who = std::move(who);
  s.paths[0] = std::move(vertexPath);
  s.paths[1] = std::move(fragmentPath);
  // Both files are tried, so that each one at fault is named at once.
  for (int stage = 0; stage < 2; ++stage)
    if (!ReadWhole(s.who, s.paths[stage], stage, s.texts[stage])) s.complete = false;
  return s;
}

}  // namespace PM
