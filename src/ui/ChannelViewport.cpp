#include "ui/ChannelViewport.h"

#include "render/RenderChannel.h"
#include "script/object/ScriptNamespace.h"
#include "ui/WChannel.h"

namespace PM {

bool CopyChannelViewport(ScriptNamespace* names, const char* widget, const char* channel) {
  ScriptObject* w = names ? names->FindObject(String(widget)) : nullptr;
  ScriptObject* c = names ? names->FindObject(String(channel)) : nullptr;
  if (!w || !c || !w->IsA(WChannel_I::kClassId) || !c->IsA(RenderChannel_I::kClassId)) return false;
  static_cast<RenderChannel_I*>(c)->SetViewport(static_cast<WChannel_I*>(w)->m_viewport);
  return true;
}

}  // namespace PM
