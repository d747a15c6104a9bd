// A stand-in face-generation module for the tests. It reads small text files of its own, keeps the
// controls as two vectors and displaces vertices along z by an amount the controls decide, and it
// records every call ("slot(arguments)", one per line) for the tests to read. Built once with its
// factory and once without (PM_FACEGEN_WITHOUT_FACTORY).
//
// Control layout in the symmetric vector: Age 0-4, Gender 5-9, Caricature 10-14, Race 15-39 (row * 5
// + column), Shape from 40 (as many as the data file's "shapes" line gives). The displacement is the
// sum of the symmetric controls plus half the sum of the asymmetric ones. Slot 19 sets every control
// to 0; slot 20 doubles every control.
#include <atomic>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "core/Obj.h"
#include "geometry/FaceGenModule.h"

namespace {

std::atomic<int> g_live{0};
std::string g_calls;

constexpr uint32_t kInvalidArgument = 0x80000003, kNotFound = 0x8000000A;
constexpr int kAge = 0, kGender = 5, kCaricature = 10, kRace = 15, kShape = 40;

std::string Num(double v) {
  char b[32];
  std::snprintf(b, sizeof b, "%g", v);
  return b;
}

void Record(int slot, const std::string& args = std::string(), uint32_t result = 0) {
  g_calls += std::to_string(slot);
  if (!args.empty()) g_calls += "(" + args + ")";
  if (result != 0) g_calls += " failed";
  g_calls += "\n";
}

// The file's words when it opens and its first word is `kind`; otherwise empty.
std::vector<std::string> ReadWords(const char* path, const char* kind) {
  std::ifstream in(path ? path : "");
  std::vector<std::string> words;
  for (std::string w; in >> w;) words.push_back(w);
  if (words.empty() || words[0] != kind) words.clear();
  return words;
}

void Copy(const std::vector<float>& from, PM::Array<float>& to) {
  to.Clear();
  for (float v : from) to.Append(v);
}

class StandInFaceGen final : public PM::FaceGenModule {
 public:
  StandInFaceGen() { ++g_live; }
  ~StandInFaceGen() { --g_live; }
  StandInFaceGen(const StandInFaceGen&) = delete;
  StandInFaceGen& operator=(const StandInFaceGen&) = delete;

  uint32_t LoadControlFile(const char* path) override {
    const uint32_t r = ReadWords(path, "controls").empty() ? kNotFound : 0;
    Record(0, path, r);
    return r;
  }
  uint32_t LoadDataFile(const char* path) override {
    // "data", then "symmetric" values, "asymmetric" values and "shapes" n, in any order.
    const std::vector<std::string> w = ReadWords(path, "data");
    const uint32_t r = w.empty() ? kNotFound : 0;
    Record(1, path, r);
    std::vector<float>* into = nullptr;
    for (size_t i = 1; i < w.size(); ++i) {
      if (w[i] == "symmetric")
        into = &m_sym, m_sym.clear();
      else if (w[i] == "asymmetric")
        into = &m_asym, m_asym.clear();
      else if (w[i] == "shapes" && i + 1 < w.size())
        m_shapes = std::stoi(w[++i]), into = nullptr;
      else if (into)
        into->push_back(std::stof(w[i]));
    }
    return r;
  }
  uint32_t LoadMeshFile(const char* meshPath, const char* matchPath) override {
    const bool ok = !ReadWords(meshPath, "mesh").empty() && !ReadWords(matchPath, "match").empty();
    Record(2, std::string(meshPath) + "," + matchPath, ok ? 0 : kNotFound);
    return ok ? 0 : kNotFound;
  }
  uint32_t Generate(const PM::Array<PM::Vector3f>* input, PM::Array<PM::Vector3f>* out, bool useOriginal) override {
    Record(3, std::to_string(input ? input->Count() : -1) + "," + (useOriginal ? "original" : "displaced"));
    if (!input || !out) return kInvalidArgument;
    m_base.assign(input->begin(), input->end());
    m_useOriginal = useOriginal;
    Fill(*out);
    return 0;
  }
  uint32_t SetControls(const PM::Array<float>& sym, const PM::Array<float>& asym) override {
    Record(4, std::to_string(sym.Count()) + "," + std::to_string(asym.Count()));
    m_sym.assign(sym.begin(), sym.end());
    m_asym.assign(asym.begin(), asym.end());
    return 0;
  }
  uint32_t GetControls(PM::Array<float>* sym, PM::Array<float>* asym) override {
    Record(5);
    if (sym) Copy(m_sym, *sym);
    if (asym) Copy(m_asym, *asym);
    return 0;
  }
  float GetAge(int32_t i) override { return Get(6, kAge + i, i); }
  void SetAge(int32_t i, float v) override { Set(7, kAge + i, v, std::to_string(i)); }
  float GetGender(int32_t i) override { return Get(8, kGender + i, i); }
  void SetGender(int32_t i, float v) override { Set(9, kGender + i, v, std::to_string(i)); }
  float GetCaricature(int32_t i) override { return Get(10, kCaricature + i, i); }
  void SetCaricature(int32_t i, float v) override { Set(11, kCaricature + i, v, std::to_string(i)); }
  float GetRace(int32_t column, int32_t row) override {
    Record(12, std::to_string(column) + "," + std::to_string(row));
    return At(kRace + row * 5 + column);
  }
  void SetRace(int32_t column, int32_t row, float v) override {
    Set(13, kRace + row * 5 + column, v, std::to_string(column) + "," + std::to_string(row));
  }
  int32_t GetShapeCount() override {
    Record(14);
    return m_shapes;
  }
  float GetShape(int32_t i) override { return Get(15, kShape + i, i); }
  void SetShape(int32_t i, float v) override { Set(16, kShape + i, v, std::to_string(i)); }
  uint32_t WriteVertices(PM::Array<PM::Vector3f>* vertices, PM::Array<PM::Vector3f>* positions) override {
    Record(17, std::to_string(vertices ? vertices->Count() : -1) + "," +
                   std::to_string(positions ? positions->Count() : -1));
    if (!vertices || !positions) return kInvalidArgument;
    Fill(*vertices);
    for (int i = 0; i < vertices->Count() && i < positions->Count(); ++i) (*positions)[i] = (*vertices)[i];
    return 0;
  }
  uint32_t ControlOperation19(PM::Array<PM::Vector3f>*) override {
    Record(19);
    for (float& c : m_sym) c = 0.0f;
    for (float& c : m_asym) c = 0.0f;
    return 0;
  }
  uint32_t ControlOperation20(PM::Array<PM::Vector3f>*) override {
    Record(20);
    for (float& c : m_sym) c *= 2.0f;
    for (float& c : m_asym) c *= 2.0f;
    return 0;
  }

 private:
  float At(int i) const { return i >= 0 && size_t(i) < m_sym.size() ? m_sym[size_t(i)] : 0.0f; }
  float Get(int slot, int at, int32_t i) {
    Record(slot, std::to_string(i));
    return At(at);
  }
  void Set(int slot, int at, float v, const std::string& args) {
    Record(slot, args + "," + Num(v));
    if (at < 0) return;
    if (m_sym.size() <= size_t(at)) m_sym.resize(size_t(at) + 1, 0.0f);
    if (m_asym.size() < m_sym.size()) m_asym.resize(m_sym.size(), 0.0f);
    m_sym[size_t(at)] = v;
  }
  float Displacement() const {
    float d = 0.0f;
    for (float c : m_sym) d += c;
    for (float c : m_asym) d += 0.5f * c;
    return d;
  }
  void Fill(PM::Array<PM::Vector3f>& out) const {
    const float d = m_useOriginal ? 0.0f : Displacement();
    out.SetCount(int(m_base.size()));
    for (size_t i = 0; i < m_base.size(); ++i) out[int(i)] = {m_base[i].x, m_base[i].y, m_base[i].z + d};
  }

  std::vector<float> m_sym, m_asym;
  int32_t m_shapes = 0;
  std::vector<PM::Vector3f> m_base;
  bool m_useOriginal = false;
};

}  // namespace

#define PM_EXPORT extern "C" __attribute__((visibility("default")))

#ifndef PM_FACEGEN_WITHOUT_FACTORY
PM_EXPORT PM::FaceGenModule* CreateFaceGenModule() { return PM::NewCounted<StandInFaceGen>(); }
#endif
// What the tests read: the module objects alive, and the calls since the last clear.
PM_EXPORT int FaceGenStandInLiveObjects() { return g_live.load(); }
PM_EXPORT const char* FaceGenStandInCalls() { return g_calls.c_str(); }
PM_EXPORT void FaceGenStandInClearCalls() { g_calls.clear(); }
