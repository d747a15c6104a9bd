// The text pm-run's model view draws over the model (its statistics, the list of keys) through the
// engine's own widgets: a TWindow "viewHud" with two WTexts, drawn by a channel of its own after the
// model's, so that the model channel's passes (wireframe, skeleton) leave it alone.
#pragma once

#include <string>

#include <pelmora/script/object/ScriptEngine.h>

namespace PMHost {

class ViewOverlay {
 public:
  // Makes the window, its texts and the first free channel "ChannelN" that draws it, sized to the
  // pipe's resolution; false (logged) when they could not be made.
  bool Make(PM::ScriptEngine* engine);
  // The texts shown: the statistics in the upper left, the keys below them; empty shows nothing.
  void Show(const std::string& statistics, const std::string& keys);
  // How many lines of keys fit below the statistics (or without them), and how many characters of a
  // line do: what the key list's pages are cut to (ViewKeyPages).
  int KeyLines(bool withStatistics) const;
  int KeyColumns() const;
  // The engine's resident textures that are the overlay's own (its font, once drawn): 0 or 1.
  int OwnTextures() const;

 private:
  PM::ScriptObject* m_font = nullptr;        // FontTexture2D "viewFont"
  PM::ScriptObject* m_statistics = nullptr;  // WText "viewStats", held by the namespace
  PM::ScriptObject* m_keys = nullptr;        // WText "viewKeys"
  std::string m_shownStatistics, m_shownKeys;
  int m_width = 640, m_height = 480;  // the pipe's resolution: the overlay's virtual units
};

}  // namespace PMHost
