#include "ui/UIElement.h"

#include <cstring>

#include "core/Log.h"
#include "engine/RenderEngine.h"
#include "render/RenderShader.h"
#include "ui/FontStyle.h"

namespace PM {

namespace {

// Atom textures are taken as this many texels square; each edge moves kInset texels inwards so that
// filtering never reaches the neighbouring cell.
constexpr float kTextureSize = 512.0f;
constexpr float kInset = 0.03125f;

struct AtomDataAccess {
  static void Get(ScriptObject* o, uint32_t, Array<int32_t>* out) { *out = static_cast<UIElement_I*>(o)->AtomData(); }
  static void Set(ScriptObject* o, uint32_t, const Array<int32_t>* in) {
    static_cast<UIElement_I*>(o)->SetAtomData(*in);
  }
};

MemberDef AtomDataMember(uint32_t id, const char* name) {
  return MakeMemberDef<VI32, kShapeArray>(id, name, FormFlags<VI32, kShapeArray>(), EraseFn(&AtomDataAccess::Get),
                                          EraseFn(&AtomDataAccess::Set));
}

bool InTable(int32_t index, int32_t count) { return index >= 0 && index < count; }

// The atom's corners, or false when an anchor index lies outside its table.
bool Corners(const UIAtomStructure& a, int32_t hCount, const float* h, int32_t vCount, const float* v, float out[4]) {
  if (!InTable(a.anchorX0, hCount) || !InTable(a.anchorX1, hCount) || !InTable(a.anchorY0, vCount) ||
      !InTable(a.anchorY1, vCount))
    return false;
  out[0] = h[a.anchorX0] + float(a.offsetX0);
  out[1] = h[a.anchorX1] + float(a.offsetX1);
  out[2] = v[a.anchorY0] + float(a.offsetY0);
  out[3] = v[a.anchorY1] + float(a.offsetY1);
  return true;
}

}  // namespace

void UIElement_I::Define() {
  DefineUIClass<UIElement_I, Object_I>();
  const MemberDef members[] = {
      FilledIndexedMember<&UIElement_I::m_shaderArray>(0x01FFF0E8, "ShaderArray", 0x4),
      AtomDataMember(0x02FFF0E8, "AtomData"),
      FieldMember<&UIElement_I::m_defaultDim>(0x03FFF0E8, "DefaultDim"),
      FieldMember<&UIElement_I::m_borderMin>(0x04FFF0E8, "BorderMin"),
      FieldMember<&UIElement_I::m_borderMax>(0x05FFF0E8, "BorderMax"),
      FieldMember<&UIElement_I::m_iconDim>(0x06FFF0E8, "IconDim"),
      FieldMember<&UIElement_I::m_iconSpacing>(0x07FFF0E8, "IconSpacing"),
      FieldMember<&UIElement_I::m_arrowDim>(0x08FFF0E8, "ArrowDim"),
      FieldMember<&UIElement_I::m_arrowSpacing>(0x09FFF0E8, "ArrowSpacing"),
      FieldMember<&UIElement_I::m_barDim>(0x0AFFF0E8, "BarDim"),
      FieldMember<&UIElement_I::m_handleDim>(0x0BFFF0E8, "HandleDim"),
      FieldMember<&UIElement_I::m_fontStyle>(0x0CFFF0E8, "FontStyle", 0x4),
      FieldMember<&UIElement_I::m_fontColor>(0x0DFFF0E8, "FontColor"),
      FieldMember<&UIElement_I::m_soundFocus>(0x0EFFF0E8, "SoundFocus"),
      FieldMember<&UIElement_I::m_soundClick>(0x0FFFF0E8, "SoundClick"),
      FieldMember<&UIElement_I::m_cursorFocus>(0x10FFF0E8, "CursorFocus"),
      FieldMember<&UIElement_I::m_iconPos>(0x11FFF0E8, "IconPos"),
  };
  DefineMembers(members);
}

Array<int32_t> UIElement_I::AtomData() const {
  Array<int32_t> out;
  int32_t n = m_atoms.Count() * UIAtomStructure::kWords;
  out.SetCountNoCopy(n);
  if (n) std::memcpy(out.Data(), m_atoms.Data(), sizeof(int32_t) * size_t(n));
  return out;
}

void UIElement_I::SetAtomData(const Array<int32_t>& data) {
  int32_t n = data.Count();
  if (n % UIAtomStructure::kWords != 0) {
    LogError("UIElement::iAtomDataSet: invalid or incompatible data size.");
    return;
  }
  Array<UIAtomStructure> atoms;
  atoms.SetCountNoCopy(n / UIAtomStructure::kWords);
  if (n) std::memcpy(static_cast<void*>(atoms.Data()), data.Data(), sizeof(int32_t) * size_t(n));
  m_atoms = atoms;
}

void UIElement_I::Draw(WidgetDrawContext*, RenderEngine* engine, int32_t hCount, const float* h, int32_t vCount,
                       const float* v, int32_t colorCount, const Vector4f* colors) {
  bool haveShader = false;
  int32_t lastShader = 0;
  bool anchorsLogged = false;
  for (const UIAtomStructure& a : m_atoms) {
    if (!InTable(a.colorId, colorCount)) {
      LogError("UIElement::Draw: ColorID out of range for \"", m_name, "\".");
      return;
    }
    const Vector4f& color = colors[a.colorId];
    if (color.w <= 0.0f) continue;
    float c[4];
    if (!Corners(a, hCount, h, vCount, v, c)) {
      if (!anchorsLogged) LogError("UIElement::Draw: anchor index out of range for \"", m_name, "\".");
      anchorsLogged = true;
      continue;
    }
    const float uLeft = (float(a.texLeft) + kInset) / kTextureSize;
    const float uRight = (float(a.texRight) - kInset) / kTextureSize;
    const float vA = (kTextureSize - float(a.texEdgeA) + kInset) / kTextureSize;
    const float vB = (kTextureSize - float(a.texEdgeB) - kInset) / kTextureSize;
    const float texCoords[8] = {uLeft, vA, uRight, vA, uLeft, vB, uRight, vB};
    if (!haveShader || a.shaderIndex != lastShader) {
      ScriptObject* shader = InTable(a.shaderIndex, m_shaderArray.Count())
                                 ? static_cast<ScriptObject*>(m_shaderArray[a.shaderIndex].Get())
                                 : NilScriptObject();
      engine->SetShaderBase(shader, true);
      haveShader = true;
      lastShader = a.shaderIndex;
    }
    engine->DrawQuadClipped(c[0], c[1], c[2], c[3], texCoords, &color);
  }
}

int32_t UIElement_I::HitTest(int32_t x, int32_t y, int32_t hCount, const float* h, int32_t vCount, const float* v,
                             int32_t colorCount, const Vector4f* colors) const {
  const float px = float(x), py = float(y);
  for (const UIAtomStructure& a : m_atoms) {
    if (a.hitId <= 0) continue;
    if (InTable(a.colorId, colorCount) && colors[a.colorId].w <= 0.0f) continue;
    float c[4];
    if (!Corners(a, hCount, h, vCount, v, c)) continue;
    if (c[0] <= px && px < c[1] && c[2] <= py && py < c[3]) return a.hitId;
  }
  return -1;
}

}  // namespace PM
