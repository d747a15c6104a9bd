// Fixture of the mesh tests: meshes written as script text (structure, data, channels, shaders) and
// parsed by a script engine, as importers and scripts hand them to the engine.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "core/StartUp.h"
#include "geometry/MeshData.h"
#include "geometry/MeshStructure.h"
#include "script/lang/Parser.h"
#include "script/object/ScriptEngine.h"
#include "script/object/ScriptNamespace.h"
#include "support/LogCapture.h"
#include "support/TestEnv.h"

namespace PM::Test {

// A mesh as a test writes it: corners by point, an optional texture coordinate per corner.
struct MeshText {
  std::vector<Vector3f> points;
  std::vector<std::vector<int>> faces;
  std::vector<std::vector<Vector2f>> uvs;  // per face and corner; empty: no channel
  std::vector<int> faceShaders;
  std::vector<std::string> shaders;  // RenderShader names
  std::string extraData;             // further members of the MeshData, as text
};

class MeshWorld : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("PM_LOG_DIR", m_dir.Path().c_str(), 1);
    ASSERT_EQ(DLLInitialize(1), 0u);
    m_engine = static_cast<ScriptEngine*>(ScriptEngine::Create());
    m_log.Take();
  }
  void TearDown() override {
    m_engine.Clear();
    DLLDeInitialize(1);
  }

  static std::string F(float v) { return std::to_string(v); }
  template <class T>
  static std::string List(const std::vector<T>& v) {
    std::string s = "[";
    for (size_t i = 0; i < v.size(); ++i) s += (i ? ", " : "") + std::to_string(v[i]);
    return s + "]";
  }

  // Parses text and answers the named object of class T (null, with a failure, when missing).
  template <class T>
  T* Parse(const std::string& text, const char* name) {
    int errors = -1;
    Parser::ParseText(m_engine, String(text.c_str()), String("mesh.bs"), kParseQuiet, &errors);
    EXPECT_EQ(errors, 0) << text;
    return Find<T>(name);
  }
  template <class T>
  T* Find(const char* name) {
    ScriptObject* o = m_engine->GetNamespace()->FindObject(String(name));
    if (!o || !o->IsA(T::kClassId)) {
      ADD_FAILURE() << "no " << name;
      return nullptr;
    }
    return static_cast<T*>(o);
  }

  // Declares MeshStructure:<name> and MeshData:<name>d: edges in order of first use, each running the
  // way its first face runs it.
  std::pair<MeshStructure_I*, MeshData_I*> Build(const MeshText& m, const std::string& name = "m") {
    std::map<std::pair<int, int>, int> refs;
    std::vector<int> edgePoints, lengths, faceEdges, attrs;
    std::vector<Vector2f> uvList;
    std::map<std::pair<float, float>, int> uvIndex;
    for (size_t f = 0; f < m.faces.size(); ++f) {
      const auto& c = m.faces[f];
      lengths.push_back(int(c.size()));
      for (size_t k = 0; k < c.size(); ++k) {
        const int a = c[k], b = c[(k + 1) % c.size()];
        auto it = refs.find({a, b});
        if (it == refs.end()) {
          const int e = int(edgePoints.size()) / 2;
          edgePoints.push_back(a);
          edgePoints.push_back(b);
          refs[{a, b}] = 2 * e;
          refs[{b, a}] = 2 * e + 1;
          it = refs.find({a, b});
        }
        faceEdges.push_back(it->second);
        int attr = 0;
        if (!m.uvs.empty()) {
          const Vector2f uv = m.uvs[f][k];
          auto u = uvIndex.find({uv.x, uv.y});
          if (u == uvIndex.end()) {
            u = uvIndex.emplace(std::make_pair(uv.x, uv.y), int(uvList.size())).first;
            uvList.push_back(uv);
          }
          attr = u->second;
        }
        attrs.push_back(attr);
      }
    }
    std::string t;
    t += "MeshStructure:" + name + " . { .NumPoints " + std::to_string(m.points.size()) + "; .EdgePointArray " +
         List(edgePoints) + "; .FaceLengthArray " + List(lengths) + "; .FaceEdgeArray " + List(faceEdges) +
         "; .FaceAttrArray " + List(attrs) + "; };\n";
    for (const std::string& s : m.shaders) t += "RenderShader:" + s + " . { };\n";
    std::string uv;
    if (!m.uvs.empty()) {
      t += "VertexDataVector2f:" + name + "uv . { .Usage 0x10000u; .DataArray [";
      for (size_t i = 0; i < uvList.size(); ++i) t += (i ? ", (" : "(") + F(uvList[i].x) + ", " + F(uvList[i].y) + ")";
      t += "]; };\n";
      uv = " .VertexData << VertexDataVector2f:" + name + "uv;";
    }
    t += "MeshData:" + name + "d . { .VertexArray [";
    for (size_t i = 0; i < m.points.size(); ++i)
      t += (i ? ", (" : "(") + F(m.points[i].x) + ", " + F(m.points[i].y) + ", " + F(m.points[i].z) + ")";
    t += "];" + uv;
    for (const std::string& s : m.shaders) t += " .ShaderArray << RenderShader:" + s + ";";
    if (!m.faceShaders.empty()) t += " .FaceShaderArray " + List(m.faceShaders) + ";";
    t += " " + m.extraData + " };\n";
    MeshStructure_I* s = Parse<MeshStructure_I>(t, name.c_str());
    return {s, Find<MeshData_I>((name + "d").c_str())};
  }

  TempDir m_dir;
  LogCapture m_log;
  Obj<ScriptEngine> m_engine;
};

inline MeshText Shape(std::vector<Vector3f> points, std::vector<std::vector<int>> faces) {
  MeshText m;
  m.points = std::move(points);
  m.faces = std::move(faces);
  return m;
}

// The unit cube with every face wound clockwise seen from outside; faces 0 and 1 are the caps
// (z = 0, z = 1), 2 to 5 the sides.
inline MeshText ClockwiseCube() {
  MeshText m;
  for (int i = 0; i < 8; ++i) m.points.push_back({float(i & 1), float((i >> 1) & 1), float((i >> 2) & 1)});
  m.faces = {{0, 1, 3, 2}, {4, 6, 7, 5}, {0, 4, 5, 1}, {2, 3, 7, 6}, {0, 2, 6, 4}, {1, 5, 7, 3}};
  return m;
}

// The cube's texture cut into a cross: the sides share coordinates by point around the ring (u along
// the ring, v up), each cap has its own square.
inline void CrossUVs(MeshText& m) {
  auto ring = [](int p) {
    static const float u[4] = {0.0f, 0.25f, 0.75f, 0.5f};  // points 0, 1, 2, 3 around the ring
    return Vector2f{u[p & 3], float(p >> 2)};
  };
  m.uvs.clear();
  for (size_t f = 0; f < m.faces.size(); ++f) {
    std::vector<Vector2f> c;
    for (int p : m.faces[f]) {
      if (f >= 2)
        c.push_back(ring(p));
      else
        c.push_back({2.0f + float(f) + 0.5f * float(p & 1), 0.5f * float((p >> 1) & 1)});
    }
    m.uvs.push_back(c);
  }
}

}  // namespace PM::Test
