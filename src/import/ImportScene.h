// ImportScene: a model file as the importer's reader program sends it and the importer module builds it,
// in plain values only (no engine type), so that the reader program can fill it without the library.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "core/Axis.h"

namespace PM::Import {

// Why a texture has no pixels. The numbers are part of the stream's format.
enum class TextureFault : uint8_t {
  kNone = 0,
  kAbsent = 1,      // no file where it was looked for
  kOutside = 2,     // refused: it lies outside the asset root and the texture path
  kNotRegular = 3,  // refused: a FIFO, a socket, a device or a folder
  kOverBudget = 4,  // decoding it needs more than the reader's memory budget
  kNotDecoded = 5,  // no image the reader decodes, damaged, or larger than the stream carries
};
inline constexpr uint8_t kLastTextureFault = 5;

// A decoded image, RGBA with 8 bits a channel, rows top first, at the size the file gives (the module
// scales it to powers of two). `missing` is set, with no pixels, when the file named could not be read,
// and `fault` says why.
struct Texture {
  std::string source;  // the path the material names ("*0" for an embedded one)
  uint32_t width = 0, height = 0;
  std::vector<uint8_t> rgba;  // width * height * 4 bytes
  bool hasAlpha = false;      // some pixel has alpha below 255
  bool missing = false;
  TextureFault fault = TextureFault::kNone;  // kAbsent when `missing` gives no other cause
  // Why a texture of fault kNotDecoded has no pixels, naming its format ("SGI image: not decoded",
  // "PNG image: damaged"), or empty.
  std::string undecoded;
};

// A material's values as the file states them; the module turns them into the engine's shaders.
struct Material {
  std::string name;
  float diffuse[4] = {0.8f, 0.8f, 0.8f, 1};  // RGBA; A is the file's opacity
  float specular[3] = {0, 0, 0};
  float emissive[3] = {0, 0, 0};
  float ambient[3] = {0, 0, 0};
  float shininess = 0;          // the file's exponent (0 when it gives none)
  float shininessStrength = 1;  // scales the specular colour
  bool twoSided = false;
  // The file cannot say whether its faces are one-sided (its format records no sidedness): both sides drawn.
  bool sidesUnknown = false;
  // An opacity of 0 here is a known exporter's slip (COLLADA's decimal commas, a diffuse alpha left at 0),
  // not a hidden material: drawn opaque when nothing else gives it a shape.
  bool opacityZeroSlip = false;
  // glTF's metal-roughness model, when the file uses it (baseColor is then `diffuse`).
  bool metalRoughness = false;
  float metallic = 0, roughness = 1;
  // Alpha as the file asks for it: 0 opaque, 1 cut out at `alphaCutoff`, 2 blended.
  uint8_t alphaMode = 0;
  float alphaCutoff = 0.5f;
  int32_t diffuseTexture = -1;  // index into Scene::textures, or -1
  uint32_t diffuseUVSet = 0;    // which texture-coordinate set it reads (0 or 1)
  // Textures the file names that the engines do not draw, kept as facts for the conversion: an opacity
  // map (which makes an opacity of 0 meaningful) and an emissive map (which its emissive factor scales).
  bool opacityTexture = false;
  bool emissiveTexture = false;
};

// A morph target of a mesh (Assimp's animation mesh): what it moves each vertex by when its weight is 1,
// the mesh drawing base + the sum of weight x delta over its targets.
struct MorphTarget {
  std::string name;                   // as the file names it, or empty
  float weight = 0;                   // the mesh's default weight of the target
  std::vector<float> positionDeltas;  // 3 floats a vertex of the mesh, or empty
  std::vector<float> normalDeltas;    // 3 floats a vertex of the mesh, or empty (only where the mesh has normals)
};

// One primitive type a mesh: 1 points, 2 lines, 3 triangles (the engine's Point, Line, Triangle).
struct Mesh {
  std::string name;
  uint8_t primitive = 3;
  uint32_t material = 0;          // index into Scene::materials
  std::vector<float> positions;   // 3 floats a vertex
  std::vector<float> normals;     // 3 a vertex, or empty
  std::vector<float> uv[2];       // 2 a vertex each, or empty; (0, 0) is the image's bottom-left corner
  std::vector<float> colors;      // 4 a vertex (RGBA 0..1), or empty
  std::vector<uint32_t> indices;  // `primitive` indices a face, each below the vertex count
  std::vector<MorphTarget> targets;
};

// A node of the file's tree. Nodes are listed parents first; node 0 is the root (parent -1).
struct Node {
  std::string name;
  int32_t parent = -1;
  // The local transform as the file gives it for column vectors (Assimp's aiMatrix4x4, row-major:
  // translation in elements 3, 7 and 11); the module transposes it for the engine's row vectors.
  float matrix[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
  std::vector<uint32_t> meshes;  // indices into Scene::meshes
};

// A camera of the file, placed in its node's space as Assimp's aiCamera gives it.
struct Camera {
  std::string name;
  uint32_t node = 0;  // index into Scene::nodes
  float position[3] = {0, 0, 0};
  float lookAt[3] = {0, 0, 1};  // the viewing direction
  float up[3] = {0, 1, 0};
  float horizontalFov = 0.7853982f;  // radians, the whole angle from the left border to the right one
  float aspect = 0;                  // width over height; 0 when the file gives none
  float clipNear = 0.1f, clipFar = 1000;
  float orthographicWidth = 0;  // half the width an orthographic camera sees; 0 for a perspective one
};

// A light of the file. Types as Assimp numbers them: 1 directional, 2 point, 3 spot, 4 ambient, 5 area.
struct Light {
  std::string name;
  uint32_t node = 0;  // index into Scene::nodes
  uint8_t type = 2;
  float position[3] = {0, 0, 0};
  float direction[3] = {0, 0, -1};  // where the light shines to (directional, spot, area)
  float color[3] = {1, 1, 1};       // diffuse colour, the intensity folded in as Assimp does
  float ambient[3] = {0, 0, 0};
};

// One bone of a skinned mesh: the node that moves it, the inverse bind matrix (Assimp's offset matrix,
// row-major for column vectors, from the mesh's space to the bone's) and the vertices it weighs.
struct Bone {
  uint32_t node = 0;  // index into Scene::nodes
  float offset[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
  std::vector<uint32_t> vertices;  // each below the mesh's vertex count
  std::vector<float> weights;      // one a vertex above, as the file gives them
};

// The bones of one mesh (at most one skin a mesh).
struct Skin {
  uint32_t mesh = 0;  // index into Scene::meshes
  std::vector<Bone> bones;
};

// Keys of one kind: `times` in the animation's ticks, `values` `width` floats a key (3 for translation and
// scaling XYZ, 4 for a rotation quaternion WXYZ).
struct Keys {
  std::vector<double> times;
  std::vector<float> values;
};

// What an animation does to one node. Behaviour before the first key and after the last, as Assimp's
// aiAnimBehaviour: 0 the node's own transform, 1 the nearest key held, 2 extrapolated, 3 repeated.
struct Channel {
  uint32_t node = 0;  // index into Scene::nodes
  uint8_t preState = 0, postState = 0;
  Keys translation, rotation, scaling;
};

// What an animation does to the morph targets of one node's meshes (Assimp's aiMeshMorphAnim): key k at
// `times[k]` ticks sets `counts[k]` targets, its pairs following those of the keys before it in `targets`
// (indices into each mesh's targets) and `weights`. A target no key names keeps its default weight.
struct MorphChannel {
  uint32_t node = 0;  // index into Scene::nodes
  std::vector<double> times;
  std::vector<uint32_t> counts;
  std::vector<uint32_t> targets;
  std::vector<float> weights;
};

struct Animation {
  std::string name;
  double duration = 0;        // in ticks
  double ticksPerSecond = 0;  // as the file gives it; 0 when it gives none
  std::vector<Channel> channels;
  std::vector<MorphChannel> morphChannels;
};

struct Scene {
  std::vector<Node> nodes;
  std::vector<Camera> cameras;
  std::vector<Light> lights;
  std::vector<Skin> skins;
  std::vector<Animation> animations;
  std::vector<Mesh> meshes;
  std::vector<Material> materials;
  std::vector<Texture> textures;
  // What the file holds that this import leaves out, as one sentence for an Info line, or empty (the
  // reader has nothing to name at present).
  std::string leftOut;
  // What the reader saw go wrong in the file that still gave a scene (a missing material library), one
  // sentence each for a Warn line.
  std::vector<std::string> warnings;
  // The file's up axis, which the import turns to +Y, and the axis it faces along (turned to +Z); the
  // front Axis::None when the file names none. `upFrom` says where the up axis comes from, for the Info
  // line of a turn ("the file's UpAxis metadata").
  Axis upAxis = Axis::PlusY, frontAxis = Axis::None;
  std::string upFrom;
};

// Limits the reader program runs under; zero takes the default. The defaults carry a model of a million
// vertices with its textures.
struct ReaderLimits {
  uint64_t addressSpace = 0;  // bytes (default: 64 x the files read, at least 1 GiB, at most half the memory)
  uint32_t cpuSeconds = 0;    // (default 60)
  uint64_t outputBytes = 0;   // what the reader may send (default 2 GiB)
  uint32_t wallSeconds = 0;   // how long the host waits for the reader to finish (default 120)
};

// Runs the reader program on `path` under `limits` and decodes what it sends into `scene`, checking
// every count, index and size against what was announced. False, with `error` a sentence naming the
// cause (Assimp's message, the signal, the limit, the lying count) and `scene` left empty, on failure.
// `progress`, when given, hears the bytes of the stream received so far, at least four times a second
// while the reader runs (0 while it is still reading the file).
bool ReadModelFile(const std::string& path, const ReaderLimits& limits, Scene& scene, std::string& error,
                   const std::function<void(uint64_t)>& progress = {});

}  // namespace PM::Import
