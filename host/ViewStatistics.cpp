#include "ViewStatistics.h"

#include <algorithm>
#include <cstdio>

#include <pelmora/render/RenderStatistics.h>

namespace PMHost {

using namespace PM;

void ViewStatistics::FrameBegun() {
  const auto now = std::chrono::steady_clock::now();
  const double seconds = std::chrono::duration<double>(now - m_lastFrame).count();
  m_lastFrame = now;
  m_frameSeconds = m_frameSeconds == 0 ? seconds : m_frameSeconds * 0.9 + seconds * 0.1;
}

std::string ViewStatistics::DrawnLine(int overlayTextures) const {
  const Ptr<RenderStatistics_I> stats(m_pipe ? m_pipe->GetStatistics() : nullptr);
  if (!stats) return "nothing drawn yet\n";
  // Each kind the last frame drew, named; the overlay's own font is not the model's.
  std::string line;
  auto add = [&line](int32_t n, const char* what) {
    line += (line.empty() ? "" : ", ") + std::to_string(n) + " " + what;
  };
  const int32_t lines = stats->GetLineCount(), points = stats->GetPointCount();
  if (stats->GetPrimitiveCount() != 0 || (lines == 0 && points == 0)) add(stats->GetPrimitiveCount(), "primitives");
  if (lines != 0) add(lines, "lines");
  if (points != 0) add(points, "points");
  add(std::max(stats->GetTextureCount() - overlayTextures, 0), "textures");
  return line + "\n";
}

std::string ViewStatistics::Text(int overlayTextures, const char* up, const char* mode,
                                 const std::string& clipLine) const {
  char line[256];
  const double fps = m_frameSeconds > 0 ? 1 / m_frameSeconds : 0;
  std::snprintf(line, sizeof line, "%.1f fps, %.1f ms a frame\n", fps, m_frameSeconds * 1e3);
  std::string text = line;
  text += DrawnLine(overlayTextures);
  std::snprintf(line, sizeof line, "up %s, %s\n", up, mode);
  return text + line + clipLine;
}

}  // namespace PMHost
