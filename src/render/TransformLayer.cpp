#include "render/TransformLayer.h"

#include <cmath>

#include "classes/EngineClassRegistry.h"
#include "core/Log.h"
#include "render/ImageLayer.h"

namespace PM {

namespace {

template <auto F>
using FieldOf = typename DataMemberOf<decltype(F)>::Field;

// Member setters: kAlways invalidates on every set, otherwise only when the value changes.
template <auto F>
FieldOf<F> GetField(TransformLayer_I* t) {
  return t->*F;
}
template <auto F, bool kAlways>
void SetField(TransformLayer_I* t, const FieldOf<F>& v) {
  if (!kAlways && t->*F == v) return;
  t->*F = v;
  t->Invalidate();
}

template <auto F, bool kAlways, class Tag = TagOf<FieldOf<F>>>
MemberDef InvalidatingMember(uint32_t id, const char* name) {
  using V = typename Tag::Value;
  struct Acc {
    static V Read(ScriptObject* o) { return V(GetField<F>(static_cast<TransformLayer_I*>(o))); }
    static void Write(ScriptObject* o, const V& v) {
      SetField<F, kAlways>(static_cast<TransformLayer_I*>(o), FieldOf<F>(v));
    }
  };
  using Th = SingleThunks<Tag, Acc>;
  return MakeMemberDef<Tag, kShapeSingle>(id, name, FormFlags<Tag, kShapeSingle>(), Th::GetFn(), Th::SetFn());
}

MemberDef CurveMember(uint32_t id, const char* name) {
  using T = TagOf<Vector2f>;
  struct Acc {
    static void Get(ScriptObject* o, uint32_t, Array<Vector2f>* out) {
      *out = static_cast<TransformLayer_I*>(o)->m_colorCurveRGB;
    }
    static void Set(ScriptObject* o, uint32_t, const Array<Vector2f>* in) {
      auto* t = static_cast<TransformLayer_I*>(o);
      t->m_colorCurveRGB = *in;
      t->Invalidate();
    }
  };
  return MakeMemberDef<T, kShapeArray>(id, name, FormFlags<T, kShapeArray>(), EraseFn(&Acc::Get), EraseFn(&Acc::Set));
}

}  // namespace

TransformLayer_I::~TransformLayer_I() { Unlink(m_imageLayer); }

ImageLayer_I* TransformLayer_I::GetImageLayer() const { return m_imageLayer; }

void TransformLayer_I::SetImageLayer(ImageLayer_I* layer) {
  if (LinkMakesCycle(this, AsLayer(layer), "TransformLayer::ImageLayer")) return;
  Unlink(m_imageLayer);
  m_imageLayer = layer;
  Link(layer);
  Invalidate();
}

int32_t TransformLayer_I::ReleaseImages() {
  if (ExpressionLayer_I* l = AsLayer(m_imageLayer)) l->ReleaseImages();
  return 1;
}

int32_t TransformLayer_I::AutoDimension(LayerApplyContext& context, Vector3f& out, int force) {
  if (m_visibility == 0 && force == 0) return 0;
  if (m_imageLayer.IsNil()) {
    out = {0.0f, 0.0f, 0.0f};
    return 0;
  }
  if (!EnterLevel(context)) return 0;
  ++context.depth;
  int32_t r = m_imageLayer->AutoDimension(context, out, 1);
  --context.depth;
  const Vector3f& m = m_autoDimensionMultiplier;
  out.z = std::floor(m.z * out.z + 0.5f);
  out.y = std::floor(m.y * out.y + 0.5f);
  out.x = std::floor(m.x * out.x + 0.5f);
  return r;
}

int32_t TransformLayer_I::ApplyToImage(LayerApplyContext& context, LayerImageResult& result) {
  if (m_visibility == 0) return 0;
  Image_I* target = result.image.Get();
  if (!target) {
    Log(LogOutPipe(), kLevelError, "TransformLayer::ApplyToImage: target image required for ", QuotedLayerName{m_name},
        ".");
    return -1;
  }
  if (target->GetWidth() < 1 || target->GetHeight() < 1) {
    Log(LogOutPipe(), kLevelError, "TransformLayer::ApplyToImage: target image is 0x0 for ", QuotedLayerName{m_name},
        ".");
    return -1;
  }
  if (!EnterLevel(context)) return -1;
  LayerImageResult inner;
  if (ExpressionLayer_I* l = AsLayer(m_imageLayer)) {
    ++context.depth;
    l->ApplyToImage(context, inner);
    --context.depth;
  }
  inner.complete = 1;
  Image_I* source = inner.image.Get();
  if (!source) {
    Log(LogOutPipe(), kLevelError, "TransformLayer::ApplyToImage: own image required for ", QuotedLayerName{m_name},
        ".");
    return -1;
  }
  if (source->GetWidth() < 1 || source->GetHeight() < 1) {
    Log(LogOutPipe(), kLevelError, "TransformLayer::ApplyToImage: own image is 0x0 for ", QuotedLayerName{m_name}, ".");
    return -1;
  }
  // The source may be the target (a layer drawn onto its own cached image): read from a copy.
  Ptr<Image_I> copy;
  if (source == target) {
    copy = NewImageCopy(source);
    source = copy.Get();
  }
  Draw(source, target);
  return 1;
}

void TransformLayer_I::Define() {
  using T = TransformLayer_I;
  const ClassDef classes[] = {ConcreteClass<TransformLayer_I>()};
  DefineClasses(classes);
  const MemberDef members[] = {
      AccessorMember<&T::GetImageLayer, &T::SetImageLayer>(0x01FFF0B3, "ImageLayer"),
      InvalidatingMember<&T::m_visibility, false>(0x02FFF0B3, "Visibility"),
      InvalidatingMember<&T::m_combineMode, false, VEnum>(0x03FFF0B3, "CombineMode"),
      InvalidatingMember<&T::m_position, false>(0x04FFF0B3, "Position"),
      InvalidatingMember<&T::m_cropPosition, false>(0x05FFF0B3, "CropPosition"),
      InvalidatingMember<&T::m_cropDimension, false>(0x06FFF0B3, "CropDimension"),
      InvalidatingMember<&T::m_flipMode, false>(0x07FFF0B3, "FlipMode"),
      InvalidatingMember<&T::m_colorMulRGBA, false>(0x08FFF0B3, "ColorMulRGBA"),
      InvalidatingMember<&T::m_colorAddRGBA, false>(0x09FFF0B3, "ColorAddRGBA"),
      InvalidatingMember<&T::m_colorMulHSV, false>(0x0AFFF0B3, "ColorMulHSV"),
      InvalidatingMember<&T::m_colorAddHSV, false>(0x0BFFF0B3, "ColorAddHSV"),
      InvalidatingMember<&T::m_parentDimension, true>(0x0CFFF0B3, "ParentDimension"),
      InvalidatingMember<&T::m_autoDimensionMultiplier, false>(0x0DFFF0B3, "AutoDimensionMultiplier"),
      CurveMember(0x0EFFF0B3, "ColorCurveRGB"),
  };
  DefineMembers(members);
  static const char* const kValueNames[] = {"Replace",  "Blend",      "Multiply", "Add",
                                            "Subtract", "Difference", "AlphaAdd"};
  DefineEnumType(MakeEnumType(0xFFFFF0B4, "TransformLayer", "CombineModeEnum", kValueNames));
}

// Entered in the engine class table, which defines it in the order list's order.
static const bool kClassEntered = EnterEngineClasses<TransformLayer_I>();

}  // namespace PM
