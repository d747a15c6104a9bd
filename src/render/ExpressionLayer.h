// Base of the image layers composed into texture images: the layer operations, the up-to-date flag and
// the uncounted list of the layers that use this one.
#pragma once

#include <vector>

#include "classes/EngineClass.h"
#include "classes/Object.h"
#include "core/Vector3f.h"
#include "render/LayerRecords.h"

namespace PM {

class ExpressionLayer_I : public EngineClass<ExpressionLayer_I, Object_I, ClassId::ExpressionLayer, "ExpressionLayer"> {
 public:
  static void Define();
  // 1 produced or changed the result's image, 0 did nothing, -1 failed (logged).
  virtual int32_t ApplyToImage(LayerApplyContext& context, LayerImageResult& result);
  // 1 and (width, height, 0) when the size of the produced image is known; else (0, 0, 0) and 0.
  virtual int32_t AutoDimension(LayerApplyContext& context, Vector3f& out, int force);
  int32_t IsUpToDate() const { return int32_t(m_upToDate); }
  // Clears the flag here and on every layer above, each once.
  int32_t Invalidate();
  int32_t MarkUpToDate() {
    m_upToDate = 1;
    return 0;
  }
  virtual int32_t ReleaseImages() { return 1; }
  // Anything but a layer is reported and appended as nil; no duplicate check.
  int32_t AddDependent(ScriptObject* layer);
  int32_t RemoveDependent(const ExpressionLayer_I* layer);
  const std::vector<ExpressionLayer_I*>& Dependents() const { return m_dependents; }

  // Refuses (logged) a link that would make `child` draw into a layer above or equal to `parent`.
  static bool LinkMakesCycle(const ExpressionLayer_I* parent, const ExpressionLayer_I* child, const char* what);
  // Logs and answers false when the context is already kMaxLayerDepth levels deep.
  bool EnterLevel(LayerApplyContext& context) const;

 protected:
  // Drops this layer from the dependents of `child` when it is a layer.
  void Unlink(ScriptObject* child) const;
  void Link(ScriptObject* child);

 private:
  std::vector<ExpressionLayer_I*> m_dependents;  // not counted: a child never keeps its parent alive
  uint32_t m_upToDate = 0;
};

// The layer `o` is, or null for nil and other classes.
ExpressionLayer_I* AsLayer(ScriptObject* o);

// A new image (count 0) holding a copy of the top level of `source`.
Image_I* NewImageCopy(Image_I* source);

// Writes a name in double quotes.
struct QuotedLayerName {
  const String& name;
};
void LogPart(StreamPipeRef& p, const QuotedLayerName& q);

}  // namespace PM
