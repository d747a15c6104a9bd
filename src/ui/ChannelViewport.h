// A 3D view inside a widget dialog: a WChannel marks the place, a RenderChannel draws there. The host
// copies the widget's Viewport into the channel before each frame, so the view follows the widget when
// the window or the dialog moves or resizes.
#pragma once

namespace PM {

class ScriptNamespace;

// Gives the RenderChannel named `channel` the Viewport that the WChannel named `widget` found on its
// last draw; false (nothing changed) when either is missing or of another class. A host skips it before
// the first frame, which draws the channel's own Viewport as the script set it.
bool CopyChannelViewport(ScriptNamespace* names, const char* widget, const char* channel);

}  // namespace PM
