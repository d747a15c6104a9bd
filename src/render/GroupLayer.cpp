#include "render/GroupLayer.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "classes/EngineClassRegistry.h"
#include "core/Log.h"

namespace PM {

namespace {

// A size component as a pixel count: truncated, with NaN and huge values kept in int range.
int SideOf(float v) {
  if (!(v > 0.0f)) return 0;
  return v >= 1e9f ? 1000000000 : int(v);
}

}  // namespace

GroupLayer_I::~GroupLayer_I() {
  for (int i = m_layerArray.Count() - 1; i >= 0; --i) Unlink(m_layerArray[i]);
}

ScriptObject* GroupLayer_I::GetLayerAt(int32_t i) {
  if (i < 0 || i >= m_layerArray.Count()) return NilScriptObject();
  return m_layerArray[i].Get();
}

void GroupLayer_I::SetLayerAt(int32_t i, ScriptObject* layer) {
  if (!SetIndexOk(this, 0x01FFF0B2, i, m_layerArray.Count())) return;
  ExpressionLayer_I* l = CheckedObject<ExpressionLayer_I>(layer);
  if (LinkMakesCycle(this, AsLayer(l), "GroupLayer::LayerArray")) return;
  if (i >= m_layerArray.Count()) m_layerArray.Grow(i + 1);
  Unlink(m_layerArray[i]);
  Link(l);
  m_layerArray[i] = l;
  Invalidate();
}

void GroupLayer_I::RemoveLayers(int32_t start, int32_t count) {
  int32_t n = m_layerArray.Count();
  if (start < 0 || start >= n || count <= 0) return;
  count = std::min(count, n - start);
  for (int32_t i = start; i < start + count; ++i) Unlink(m_layerArray[i]);
  m_layerArray.Remove(start, count);
  Invalidate();
}

int32_t GroupLayer_I::AutoDimension(LayerApplyContext& context, Vector3f& out, int force) {
  // A side below one pixel is no size: the children decide it.
  if (m_dimension.x >= 1.0f && m_dimension.y >= 1.0f) {
    out = {m_dimension.x, m_dimension.y, 0.0f};
    return 1;
  }
  out = {0.0f, 0.0f, 0.0f};
  if (!EnterLevel(context)) return 0;
  ++context.depth;
  bool answered = false;
  for (int i = m_layerArray.Count() - 1; i >= 0; --i) {
    ExpressionLayer_I* l = AsLayer(m_layerArray[i]);
    if (!l) continue;
    Vector3f tmp{0.0f, 0.0f, 0.0f};
    if (l->AutoDimension(context, tmp, 0)) {
      answered = true;
      out.x = std::max(out.x, tmp.x);
      out.y = std::max(out.y, tmp.y);
    }
  }
  int32_t r = answered ? 1 : 0;
  if (!answered && force) {
    for (int i = m_layerArray.Count() - 1; i >= 0 && r == 0; --i) {
      ExpressionLayer_I* l = AsLayer(m_layerArray[i]);
      if (!l) continue;
      Vector3f tmp{0.0f, 0.0f, 0.0f};
      if (l->AutoDimension(context, tmp, 1)) {
        out = {std::max(0.0f, tmp.x), std::max(0.0f, tmp.y), 0.0f};
        r = 1;
      }
    }
    if (r == 0) {
      Log(LogOutPipe(), kLevelError,
          "GroupLayer: AutoDimension did not find any visible or forceable layers: ", m_name);
    }
  }
  --context.depth;
  return r;
}

int32_t GroupLayer_I::ApplyToImage(LayerApplyContext& context, LayerImageResult& result) {
  int width = SideOf(m_dimension.x), height = SideOf(m_dimension.y);
  if (width < 1 || height < 1) {
    for (int force = 0; force <= 1 && (width < 1 || height < 1); ++force) {
      Vector3f tmp{0.0f, 0.0f, 0.0f};
      if (AutoDimension(context, tmp, force) > 0) {
        width = SideOf(tmp.x);
        height = SideOf(tmp.y);
      }
    }
    if (width < 1 || height < 1) {
      Log(LogOutPipe(), kLevelError, "GroupLayer::ApplyToImage: no dimensions detected for ", QuotedLayerName{m_name},
          ".");
      return -1;
    }
  }
  if (width > kGroupLayerMaxSide || height > kGroupLayerMaxSide) {
    Log(LogOutPipe(), kLevelError, "GroupLayer::ApplyToImage: ", width, " x ", height, " is larger than ",
        int32_t(kGroupLayerMaxSide), " x ", int32_t(kGroupLayerMaxSide), " for ", QuotedLayerName{m_name}, ".");
    return -1;
  }
  if (!EnterLevel(context)) return -1;
  Obj<Image_I> image(Image_I::New());
  image->Create(4, width, height, 0);
  const Vector4f& c = m_defaultColor;
  if (c.x >= 0.0f && c.y >= 0.0f && c.z >= 0.0f && c.w >= 0.0f) {
    auto byte = [](float v) { return uint8_t(std::min(255.0f, v * 255.0f)); };
    image->FillRect(0, 0, width, height, {byte(c.x), byte(c.y), byte(c.z), byte(c.w)});
  } else {
    // Unfilled groups start transparent black rather than showing whatever the allocation held.
    std::memset(image->GetData(), 0, image->DataBytes());
  }
  LayerImageResult inner;
  inner.image = image.Get();
  inner.flag1 = 0;
  ++context.depth;
  for (int i = 0; i < m_layerArray.Count(); ++i) {
    ExpressionLayer_I* l = AsLayer(m_layerArray[i]);
    if (!l) continue;
    l->ApplyToImage(context, inner);
    // A plain image-layer child hands over its cached image; later children must not draw into it.
    if (inner.image && inner.image.Get() != image.Get()) {
      image = NewImageCopy(inner.image.Get());
      inner.image = image.Get();
    }
  }
  --context.depth;
  inner.complete = 1;
  result = inner;
  return 1;
}

int32_t GroupLayer_I::ReleaseImages() {
  ImageLayer_I::ReleaseImages();
  for (int i = 0; i < m_layerArray.Count(); ++i) {
    if (ExpressionLayer_I* l = AsLayer(m_layerArray[i])) l->ReleaseImages();
  }
  return 1;
}

void GroupLayer_I::Define() {
  const ClassDef classes[] = {ConcreteClass<GroupLayer_I>()};
  DefineClasses(classes);
  const MemberDef members[] = {
      IndexedAccessorMember<&GroupLayer_I::GetLayerAt, &GroupLayer_I::SetLayerAt, &GroupLayer_I::LayerCount,
                            &GroupLayer_I::RemoveLayers>(0x01FFF0B2, "LayerArray"),
  };
  DefineMembers(members);
}

// Entered in the engine class table, which defines it in the order list's order.
static const bool kClassEntered = EnterEngineClasses<GroupLayer_I>();

}  // namespace PM
