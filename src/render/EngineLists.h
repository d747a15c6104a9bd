// The live and unloaded lists in which an engine keeps its caches and texture handles: an item knows its
// index in the live list, so leaving it is a swap with the last entry. Also how an engine finds its own
// handle of a texture.
#pragma once

#include <cstdint>
#include <type_traits>

#include "core/Array.h"
#include "core/Obj.h"
#include "engine/RenderPolygonCache.h"
#include "render/ImageLayer.h"
#include "render/Texture.h"

namespace PM {

// Moves `item` from `live` to `unloaded`. False, with nothing moved, when the live list does not hold the
// item at its index (the caller reports the corruption).
template <class T>
bool MoveToUnloaded(Array<Ptr<T>>& live, Array<Ptr<T>>& unloaded, T* item) {
  const int32_t index = item->m_listIndex;
  if (index < 0 || index >= live.Count() || live[index].Get() != item) return false;
  // The unloaded list holds a reference before the live list gives its own up.
  unloaded.Append(Ptr<T>(item));
  const int32_t last = live.Count() - 1;
  if (index != last) {
    live[index] = live[last];
    live[index]->m_listIndex = index;
  }
  item->m_listIndex = -1;
  live.SetCount(last);
  return true;
}

// Appends `item` to the live list and tells it its index.
template <class T>
void AppendLive(Array<Ptr<T>>& live, std::type_identity_t<T>* item) {
  item->m_listIndex = live.Count();
  live.Append(Ptr<T>(item));
}

// The texture's handle of `engine`: a handle whose image layer changed since it was made is let go, and a
// texture with none, another engine's or one let go gets a new handle, entered in `live`.
template <class Handle, class Engine, class Item>
Handle* FindOrMakeTextureHandle(Texture_I* texture, Engine* engine, Array<Ptr<Item>>& live) {
  auto* h = dynamic_cast<Handle*>(texture->EngineHandle());
  if (h && (h->State() == TextureHandle::kNothing || h->State() == TextureHandle::kDownloaded)) {
    ImageLayer_I* layer = texture->GetImageLayer();
    if (layer && !IsNilObject(layer) && !layer->IsUpToDate()) {
      h->Unload();
      h = nullptr;
    }
  }
  if (!h || h->Owner() != engine) {
    if (TextureHandle* old = texture->EngineHandle()) old->Unload();
    h = NewCounted<Handle>(engine);
    AppendLive(live, h);
    texture->SetEngineHandle(h);
  }
  return h;
}

// The cache of `engine` in `slot`: one made by another engine (or already let go) is given back, and a
// slot without a cache of ours gets a new one, entered in `live`.
template <class Cache, class Engine, class Item>
Cache* EngineCache(Ptr<RenderPolygonCache>* slot, Engine* engine, Array<Ptr<Item>>& live) {
  Cache* cache = dynamic_cast<Cache*>(slot->Get());
  if (slot->Get() && (!cache || cache->Owner() != engine)) {
    slot->Get()->Unload();
    cache = nullptr;
  }
  if (!cache) {
    cache = NewCounted<Cache>(engine);
    AppendLive(live, cache);
    *slot = cache;
  }
  return cache;
}

}  // namespace PM
