// Re-laying out a 200 KB document at width 1000 with 16-pixel glyphs: the text widget, plain and with a
// colour run per sentence and an image per paragraph, against a plain C++ greedy wrap over the same font
// tables that writes the same glyph quads (checked once for the same number of lines), and against Dear
// ImGui wrapping and writing the plain document into a draw list with DejaVu Sans at the same size.
#include <benchmark/benchmark.h>
#include <imgui.h>

#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "BenchWorld.h"
#include "render/DefaultShaders.h"
#include "render/FontTexture2D.h"
#include "render/RenderShader.h"
#include "script/object/MemberAccess.h"
#include "ui/FontStyle.h"
#include "ui/WText.h"

namespace PM {
namespace {

constexpr float kWidth = 1000, kSize = 16;

// About 200 KB of sentences of short words; markup adds a colour run per sentence and an image per
// paragraph.
std::string Document(bool markup) {
  static const char* const kWords[] = {"the", "quick", "brown", "fox",     "jumps",  "over",    "a",  "lazy",
                                       "dog", "while", "seven", "engines", "render", "widgets", "in", "layers"};
  std::string out;
  uint32_t seed = 12345;
  for (int sentence = 0; out.size() < 200 * 1024; ++sentence) {
    if (markup && sentence % 8 == 0) out += "{Img=1}";
    if (markup) out += "{Color=(1,0.5,0.5,1)}";
    for (int w = 0; w < 12; ++w) {
      seed = seed * 1103515245u + 12345u;
      out += kWords[(seed >> 16) % 16];
      out += w == 11 ? ". " : " ";
    }
    if (markup) out += "{Color}";
    if (sentence % 8 == 7) out += "\n";
  }
  return out;
}

struct World {
  World() {
    Bench::InitOnce();
    fontObj = Obj<ScriptObject>(ScriptObject::Create(FindClassID("FontTexture2D")));
    font = static_cast<FontTexture2D_I*>(fontObj.Get());
    font->m_fontName = "DejaVu Sans";
    shader = CreateTexturedShader("font", "", true, false);
    ScriptObject* phong = MemberGet<VObject>(shader.Get(), 0x01FFF082);
    MemberSet<VObject>(MemberGet<VObject>(phong, 0x01FFF084), 0x01FFF085, font);
    styleObj = Obj<ScriptObject>(ScriptObject::Create(FindClassID("FontStyle")));
    auto* style = static_cast<FontStyle_I*>(styleObj.Get());
    style->m_fontShader = static_cast<RenderShader_I*>(shader.Get());
    style->m_fontSize = {kSize, kSize};
    textObj = Obj<ScriptObject>(ScriptObject::Create(FindClassID("WText")));
    text = static_cast<WText_I*>(textObj.Get());
    text->m_label.fontStyle = style;
    text->m_layout.dimension = {kWidth, 0, 0};
    text->m_layout.alignmentModeX = text->m_layout.alignmentModeY = kAlignMin;
  }
  Obj<ScriptObject> fontObj, shader, styleObj, textObj;
  FontTexture2D_I* font;
  WText_I* text;
};

World& TheWorld() {
  static World w;
  return w;
}

void LayOut(WText_I* t) {
  t->MarkLayoutStale();
  benchmark::DoNotOptimize(t->GetTextWidth());
}

// The peer: words measured from the advance table, greedy breaks with the same rule (a word goes to the
// next line when line width plus its ink width reaches the width), then the same glyph builder.
struct Peer {
  std::vector<Vector3f> positions, cells;
  std::vector<Vector2f> uvs;
  int Run(FontTexture2D_I* font, const std::string& s) {
    const int n = int(s.size());
    positions.resize(4 * n);
    uvs.resize(4 * n);
    cells.resize(4 * n + 4);
    int lines = 1, v = 0;
    float pen = 0, width = 0, y = 0;
    for (int i = 0; i < n;) {
      const char c = s[i];
      if (c == '\n') {
        ++lines;
        pen = width = 0;
        y -= kSize;
        ++i;
        continue;
      }
      int e = i;
      while (e < n && uint8_t(s[e]) > 32) ++e;
      if (e == i) e = i + 1;  // a space
      float advance = 0;
      const float ink = font->MeasureText(s.data() + i, e - i, &kSize, &advance);
      if (c != ' ' && pen > 0 && width + ink >= kWidth) {
        ++lines;
        pen = width = 0;
        y -= kSize;
      }
      v += font->BuildTextQuads(s.data() + i, e - i, &positions[v], &uvs[v], {kSize, kSize}, {pen, y, 0}, &cells[v]);
      pen += advance;
      if (c != ' ') width = pen;
      i = e;
    }
    return lines;
  }
};

void BM_TextLayout(benchmark::State& state) {
  World& w = TheWorld();
  const bool markup = state.range(0) != 0;
  w.text->SetText(String(Document(markup).c_str()));
  for (auto _ : state) LayOut(w.text);
  state.SetBytesProcessed(int64_t(state.iterations()) * w.text->GetText().Length());
}
BENCHMARK(BM_TextLayout)->ArgName("markup")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_TextLayoutPeerGreedy(benchmark::State& state) {
  World& w = TheWorld();
  const std::string doc = Document(false);
  Peer peer;
  // Checked once: the same lines as the widget's layout.
  w.text->SetText(String(doc.c_str()));
  LayOut(w.text);
  const int lines = peer.Run(w.font, doc);
  if (int(w.text->m_textHeight / kSize) != lines) {
    state.SkipWithError("the peer breaks the lines differently");
    return;
  }
  for (auto _ : state) benchmark::DoNotOptimize(peer.Run(w.font, doc));
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(doc.size()));
}
BENCHMARK(BM_TextLayoutPeerGreedy)->Unit(benchmark::kMillisecond);

// Dear ImGui: ImFont::RenderText wraps at the width (CalcWordWrapPositionA) and writes the glyph quads
// into a draw list, which is what a frame of wrapped text costs it. No markup: it has none.
void BM_TextLayoutPeerImGui(benchmark::State& state) {
  const std::string doc = Document(false);
  ImGui::CreateContext();
  ImGuiIO& io = ImGui::GetIO();
  ImFont* font = io.Fonts->AddFontFromFileTTF("/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf", kSize);
  unsigned char* pixels = nullptr;
  int w = 0, h = 0;
  io.Fonts->GetTexDataAsAlpha8(&pixels, &w, &h);
  if (!font || !pixels) {
    ImGui::DestroyContext();
    state.SkipWithError("DejaVu Sans did not load");
    return;
  }
  io.DisplaySize = ImVec2(kWidth, 768);
  ImGui::NewFrame();
  {
    ImDrawList list(ImGui::GetDrawListSharedData());
    const ImVec4 clip(0, 0, kWidth, 1e9f);  // every line is written
    for (auto _ : state) {
      list._ResetForNewFrame();
      list.PushClipRect(ImVec2(0, 0), ImVec2(kWidth, 1e9f));
      list.PushTextureID(io.Fonts->TexID);
      font->RenderText(&list, kSize, ImVec2(0, 0), IM_COL32_WHITE, clip, doc.data(), doc.data() + doc.size(), kWidth);
      benchmark::DoNotOptimize(list.VtxBuffer.Data);
      list.PopTextureID();
      list.PopClipRect();
    }
  }
  ImGui::EndFrame();
  ImGui::DestroyContext();
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(doc.size()));
}
BENCHMARK(BM_TextLayoutPeerImGui)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace PM
