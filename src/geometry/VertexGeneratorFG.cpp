#include "geometry/VertexGeneratorFG.h"

#include "classes/EngineClassRegistry.h"
namespace PM {

using G = VertexGeneratorFG_I;

namespace {

// The control vectors as array members of the script object model.
template <void (G::*Get)(uint32_t, Array<float>*) const, void (G::*Set)(uint32_t, const Array<float>*)>
MemberDef ControlVectorMember(uint32_t id, const char* name) {
  struct Thunk {
    static void GetArray(ScriptObject* o, uint32_t m, Array<float>* out) { (static_cast<G*>(o)->*Get)(m, out); }
    static void SetArray(ScriptObject* o, uint32_t m, const Array<float>* in) { (static_cast<G*>(o)->*Set)(m, in); }
  };
  return MakeMemberDef<VF32, kShapeArray>(id, name, FormFlags<VF32, kShapeArray>(), EraseFn(&Thunk::GetArray),
                                          EraseFn(&Thunk::SetArray));
}

template <FaceControl C>
MemberDef ControlMember(uint32_t id, const char* name) {
  return IndexedAccessorMember<&G::GetControl<C>, &G::SetControl<C>, &G::ControlCount<C>, &G::RemoveControls>(id, name);
}

// The full path of a file object's file; empty for nil.
String PathOf(const Obj<FileObject_I>& file) {
  if (file.IsNil() || !file->IsA(FileObject_I::kClassId)) return String();
  return String::FromConcat(file->GetReadPath(), file->GetFileName());
}

}  // namespace

void VertexGeneratorFG_I::Define() {
  const ClassDef classes[] = {
      ConcreteClass<VertexGeneratorFG_I>(),
  };
  DefineClasses(classes);
  const MemberDef members[] = {
      FieldMember<&G::m_meshFile>(0x01FFF0FF, "MeshFileObject"),
      FieldMember<&G::m_matchFile>(0x02FFF0FF, "MatchFileObject"),
      FieldMember<&G::m_dataFile>(0x03FFF0FF, "DataFileObject"),
      FieldMember<&G::m_controlFile>(0x04FFF0FF, "ControlFileObject"),
      ControlVectorMember<&G::GetSymmetricControl, &G::SetSymmetricControl>(0x05FFF0FF, "SymmetricControl"),
      ControlVectorMember<&G::GetAsymmetricControl, &G::SetAsymmetricControl>(0x06FFF0FF, "AsymmetricControl"),
      FieldMember<&G::m_useOriginalVertices>(0x07FFF0FF, "UseOriginalVertices"),
      ControlMember<FaceControl::Age>(0x08FFF0FF, "Age"),
      ControlMember<FaceControl::Gender>(0x09FFF0FF, "Gender"),
      ControlMember<FaceControl::Caricature>(0x0AFFF0FF, "Caricature"),
      ControlMember<FaceControl::Race>(0x0BFFF0FF, "Race"),
      ControlMember<FaceControl::Shape>(0x0CFFF0FF, "Shape"),
  };
  DefineMembers(members);
}

void G::HandControlsOver() {
  if (m_module) m_module->SetControls(m_symmetricControl, m_asymmetricControl);
}

void G::ReadControlsBack() {
  if (m_module) m_module->GetControls(&m_symmetricControl, &m_asymmetricControl);
}

void G::SetSymmetricControl(uint32_t, const Array<float>* in) {
  m_symmetricControl = *in;
  m_asymmetricControl.SetCountFill(m_symmetricControl.Count(), 0.0f);
  m_asymmetricControl.SetCount(m_symmetricControl.Count());
  HandControlsOver();
}

void G::SetAsymmetricControl(uint32_t, const Array<float>* in) {
  m_asymmetricControl = *in;
  m_symmetricControl.SetCountFill(m_asymmetricControl.Count(), 0.0f);
  m_symmetricControl.SetCount(m_asymmetricControl.Count());
  HandControlsOver();
}

template <FaceControl C>
int32_t G::ControlCount() {
  if constexpr (C == FaceControl::Race)
    return 25;
  else if constexpr (C == FaceControl::Shape)
    return m_module ? m_module->GetShapeCount() : 0;
  else
    return 5;
}

template <FaceControl C>
bool G::InRange(int32_t i) {
  if (!m_module || i < 0 || i >= ControlCount<C>()) return false;
  if constexpr (C == FaceControl::Race) return i / 5 != i % 5;
  return true;
}

template <FaceControl C>
float G::GetControl(int32_t i) {
  if (!InRange<C>(i)) return 0.0f;
  switch (C) {
    case FaceControl::Age:
      return m_module->GetAge(i);
    case FaceControl::Gender:
      return m_module->GetGender(i);
    case FaceControl::Caricature:
      return m_module->GetCaricature(i);
    case FaceControl::Race:
      return m_module->GetRace(i % 5, i / 5);
    case FaceControl::Shape:
      return m_module->GetShape(i);
  }
  return 0.0f;
}

template <FaceControl C>
void G::SetControl(int32_t i, float v) {
  if (!InRange<C>(i)) return;
  switch (C) {
    case FaceControl::Age:
      m_module->SetAge(i, v);
      break;
    case FaceControl::Gender:
      m_module->SetGender(i, v);
      break;
    case FaceControl::Caricature:
      m_module->SetCaricature(i, v);
      break;
    case FaceControl::Race:
      m_module->SetRace(i % 5, i / 5, v);
      break;
    case FaceControl::Shape:
      m_module->SetShape(i, v);
      break;
  }
  ReadControlsBack();
}

ResultCode G::Prepare() {
  if (!m_module) {
    m_module = FaceGenModule::CreateFaceGenModule();
    if (m_module && !m_symmetricControl.IsEmpty() && !m_asymmetricControl.IsEmpty()) HandControlsOver();
    if (!m_module) return EUnimplemented;
  }
  const String mesh = PathOf(m_meshFile);
  const String match = m_meshFile.IsNil() ? String() : PathOf(m_matchFile);
  const String data = PathOf(m_dataFile);
  const String control = PathOf(m_controlFile);
  if (mesh.Length() > 0) m_module->LoadMeshFile(mesh.CStr(), match.CStr());
  if (data.Length() > 0) {
    m_module->LoadDataFile(data.CStr());
    ReadControlsBack();
  }
  if (control.Length() > 0) m_module->LoadControlFile(control.CStr());
  return SOK;
}

ResultCode G::Generate(Array<Vector3f>* positions) { return GenerateInto(positions, &m_vertices); }

ResultCode G::GenerateInto(Array<Vector3f>* positions, Array<Vector3f>* out) {
  if (out) out->Clear();
  if (!m_module) return ENotOpen;
  return m_module->Generate(positions, out, m_useOriginalVertices);
}

ResultCode G::Apply(Array<Vector3f>* positions) {
  if (!m_module) return ENotOpen;
  return m_module->WriteVertices(&m_vertices, positions);
}

ResultCode G::Operation4(Array<Vector3f>* arg) {
  if (!m_module) return ENotOpen;
  const ResultCode r = m_module->ControlOperation19(arg);
  ReadControlsBack();
  return r;
}

ResultCode G::Operation5(Array<Vector3f>* arg) {
  if (!m_module) return ENotOpen;
  const ResultCode r = m_module->ControlOperation20(arg);
  ReadControlsBack();
  return r;
}

// Entered in the engine class table, which defines it in the order list's order.
static const bool kClassEntered = EnterEngineClasses<VertexGeneratorFG_I>();

}  // namespace PM
