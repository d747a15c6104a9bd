#include "ViewOverlay.h"

#include <algorithm>
#include <cstdio>

#include <pelmora/core/Log.h>
#include <pelmora/render/EngineTextureHandle.h>
#include <pelmora/render/FontTexture2D.h>
#include <pelmora/render/RenderPipe.h>
#include <pelmora/scene/NodeWalk.h>
#include <pelmora/script/lang/Parser.h>
#include <pelmora/ui/WText.h>

#include "HostScene.h"

namespace PMHost {

using namespace PM;

namespace {

// How many channels a script may have made before the overlay's.
constexpr int kMaxChannels = 64;
// The font's lines are as high as its size; a character of the key list is at most this wide on
// average (DejaVu Sans at 13 pixels), so that a row is never taken for shorter than it is drawn.
constexpr int kLineHeight = 13, kCharacterWidth = 7;
// The lines the statistics take with the gap below them.
constexpr int kStatisticsLines = 5;

}  // namespace

bool ViewOverlay::Make(ScriptEngine* engine) {
  ScriptNamespace* names = engine->GetNamespace();
  RenderPipe_I* pipe = FindPipe(names);
  if (!pipe) return false;
  int channel = 0;
  while (channel < kMaxChannels &&
         !IsNilObject(names->FindObject(String(("Channel" + std::to_string(channel)).c_str()))))
    ++channel;
  // One virtual unit a pixel of the pipe's resolution; the texts hang from the upper edge, the keys
  // below the statistics' lines when those are shown (Show). The glyphs are drawn at the size they are rendered at:
  // scaled, a stroke of one texel would fall across two pixels.
  const int width = pipe->m_width > 0 ? pipe->m_width : 640, height = pipe->m_height > 0 ? pipe->m_height : 480;
  char text[4096];
  std::snprintf(text, sizeof text,
                "FontTexture2D:viewFont . { .FontName 'DejaVu Sans'; .CharacterSize (0, 13); };\n"
                "ShaderTexture:viewFontTexture . { .Texture FontTexture2D:viewFont; };\n"
                "ShaderPhong:viewFontSurface . { .Color ShaderTexture:viewFontTexture; };\n"
                "RenderShader:viewFontShader . { .Surface ShaderPhong:viewFontSurface; .LightEnable False; "
                ".DepthTestEnable False; };\n"
                "FontStyle:viewFontStyle . { .FontShader RenderShader:viewFontShader; .FontSize (13, 13); "
                ".ShadowOffset (1, -1, 0); .ShadowColor (0, 0, 0, 1); };\n"
                "WidgetStyle:viewStyle . { .FontStyle FontStyle:viewFontStyle; };\n"
                "TTransform:viewHudRoot . { };\n"
                "SCamera:viewHudLens . { };\n"
                "TCamera:viewHudCamera . { .SNode SCamera:viewHudLens; .Parent TTransform:viewHudRoot; };\n"
                "TWindow:viewHud . { .VirtualResolution (%d, %d, 0); .Parent TTransform:viewHudRoot; };\n"
                "WFrame:viewHudDesk . { .ResizeModeX Widget.ResizeModeEnum.ResizePercent; "
                ".ResizeModeY Widget.ResizeModeEnum.ResizePercent; .Dimension (1, 1, 0); };\n"
                "TWindow:viewHud.RootWidget WFrame:viewHudDesk;\n"
                "WText:viewStats . { .Style WidgetStyle:viewStyle; .Parent WFrame:viewHudDesk; "
                ".ResizeModeX Widget.ResizeModeEnum.ResizeExact; .AlignmentModeX Widget.AlignmentModeEnum.AlignMin; "
                ".AlignmentModeY Widget.AlignmentModeEnum.AlignMax; .Position (8, -8, 0); .Dimension (%d, 100, 0); };\n"
                "WText:viewKeys . { .Style WidgetStyle:viewStyle; .Parent WFrame:viewHudDesk; "
                ".ResizeModeX Widget.ResizeModeEnum.ResizeExact; .AlignmentModeX Widget.AlignmentModeEnum.AlignMin; "
                ".AlignmentModeY Widget.AlignmentModeEnum.AlignMax; .Position (8, -8, 0); .Dimension (%d, %d, 0); };\n"
                "RenderChannel:Channel%d . { .SceneRoot TTransform:viewHudRoot; .Camera TCamera:viewHudCamera; "
                ".ColorClearEnable False; };\n",
                width, height, width - 16, width - 16, height - 16, channel);
  int errors = 0;
  Parser::ParseText(engine, String(text), String("--view"), kParseCountLines, &errors);
  ScriptObject* statistics = names->FindObject(String("viewStats"));
  ScriptObject* keys = names->FindObject(String("viewKeys"));
  if (errors || !statistics->IsA(WText_I::kClassId) || !keys->IsA(WText_I::kClassId)) {
    LogError("pm-run: --view: the view's text overlay could not be made.");
    return false;
  }
  m_statistics = statistics;
  m_keys = keys;
  m_font = names->FindObject(String("viewFont"));
  m_width = width;
  m_height = height;
  return true;
}

int ViewOverlay::KeyLines(bool withStatistics) const {
  return std::max(2, (m_height - 16) / kLineHeight - (withStatistics ? kStatisticsLines : 0));
}

int ViewOverlay::KeyColumns() const { return std::max(16, (m_width - 16) / kCharacterWidth); }

int ViewOverlay::OwnTextures() const {
  const auto* font = m_font ? As<FontTexture2D_I>(m_font) : nullptr;
  const auto* handle = font ? dynamic_cast<const EngineTextureHandle*>(font->EngineHandle()) : nullptr;
  // Charged bytes are what the engine's texture count counts.
  return handle && handle->Owner() && handle->ByteCount() != 0 ? 1 : 0;
}

void ViewOverlay::Show(const std::string& statistics, const std::string& keys) {
  if (!m_statistics) return;
  // Laid out again only when a text changes.
  if (statistics != m_shownStatistics)
    static_cast<WText_I*>(m_statistics)->SetText(String((m_shownStatistics = statistics).c_str()));
  // The keys start below the statistics' lines, or at the top without them.
  const std::string below = statistics.empty() || keys.empty() ? keys : std::string(kStatisticsLines, '\n') + keys;
  if (below != m_shownKeys) static_cast<WText_I*>(m_keys)->SetText(String((m_shownKeys = below).c_str()));
}

}  // namespace PMHost
