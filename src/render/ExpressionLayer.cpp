#include "render/ExpressionLayer.h"

#include <algorithm>
#include <cstring>
#include <unordered_set>

#include "classes/EngineClassRegistry.h"
#include "core/Log.h"

namespace PM {

ExpressionLayer_I* AsLayer(ScriptObject* o) {
  if (!o || IsNilObject(o) || !o->IsA(ExpressionLayer_I::kClassId)) return nullptr;
  return static_cast<ExpressionLayer_I*>(o);
}

void LogPart(StreamPipeRef& p, const QuotedLayerName& q) { p.WriteQuotedString(q.name, '"'); }

Image_I* NewImageCopy(Image_I* source) {
  Image_I* copy = Image_I::New();
  copy->Create(source->GetBytesPerPixel(), source->GetWidth(), source->GetHeight(), 0);
  if (copy->DataBytes() == source->DataBytes() && source->DataBytes() > 0) {
    std::memcpy(copy->GetData(), source->GetData(), source->DataBytes());
  }
  return copy;
}

int32_t ExpressionLayer_I::ApplyToImage(LayerApplyContext&, LayerImageResult&) { return 0; }

int32_t ExpressionLayer_I::AutoDimension(LayerApplyContext&, Vector3f& out, int force) {
  if (force) Log(LogOutPipe(), kLevelError, "ExpressionLayer: AutoDimension on ExpressionLayer: ", m_name);
  out = {0.0f, 0.0f, 0.0f};
  return 0;
}

int32_t ExpressionLayer_I::Invalidate() {
  // Iterative with a visited set: a layer shared by many parents is cleared once.
  std::vector<ExpressionLayer_I*> pending{this};
  std::unordered_set<ExpressionLayer_I*> seen{this};
  while (!pending.empty()) {
    ExpressionLayer_I* layer = pending.back();
    pending.pop_back();
    layer->m_upToDate = 0;
    for (auto it = layer->m_dependents.rbegin(); it != layer->m_dependents.rend(); ++it) {
      if (*it && seen.insert(*it).second) pending.push_back(*it);
    }
  }
  return 0;
}

int32_t ExpressionLayer_I::AddDependent(ScriptObject* layer) {
  ExpressionLayer_I* l = CheckedObject<ExpressionLayer_I>(layer);
  m_dependents.push_back(IsNilObject(l) ? nullptr : l);
  return 0;
}

int32_t ExpressionLayer_I::RemoveDependent(const ExpressionLayer_I* layer) {
  std::erase(m_dependents, layer);
  return 0;
}

void ExpressionLayer_I::Unlink(ScriptObject* child) const {
  if (ExpressionLayer_I* c = AsLayer(child)) c->RemoveDependent(this);
}

void ExpressionLayer_I::Link(ScriptObject* child) {
  if (ExpressionLayer_I* c = AsLayer(child)) c->AddDependent(this);
}

bool ExpressionLayer_I::LinkMakesCycle(const ExpressionLayer_I* parent, const ExpressionLayer_I* child,
                                       const char* what) {
  if (!child) return false;
  // The layers above `parent` (through the dependents) must not include `child`.
  std::vector<const ExpressionLayer_I*> pending{parent};
  std::unordered_set<const ExpressionLayer_I*> seen{parent};
  while (!pending.empty()) {
    const ExpressionLayer_I* layer = pending.back();
    pending.pop_back();
    if (layer == child) {
      Log(LogOutPipe(), kLevelError, what, ": ", QuotedLayerName{child->m_name}, " would draw into itself through ",
          QuotedLayerName{parent->m_name}, "; link refused.");
      return true;
    }
    for (const ExpressionLayer_I* d : layer->m_dependents) {
      if (d && seen.insert(d).second) pending.push_back(d);
    }
  }
  return false;
}

bool ExpressionLayer_I::EnterLevel(LayerApplyContext& context) const {
  if (context.depth < kMaxLayerDepth) return true;
  Log(LogOutPipe(), kLevelError, "ExpressionLayer: layer tree deeper than ", int32_t(kMaxLayerDepth), " at ",
      QuotedLayerName{m_name}, ".");
  return false;
}

void ExpressionLayer_I::Define() {
  const ClassDef classes[] = {AbstractClass<ExpressionLayer_I>()};
  DefineClasses(classes);
}

// Entered in the engine class table, which defines it in the order list's order.
static const bool kClassEntered = EnterEngineClasses<ExpressionLayer_I>();

}  // namespace PM
