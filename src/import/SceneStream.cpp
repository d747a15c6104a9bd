#include "import/SceneStream.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <vector>

#include "import/InertText.h"

namespace PM::Import {

static_assert(std::endian::native == std::endian::little, "the stream's numbers are little-endian, as memory here");

namespace {

// Attribute bits of a mesh and flag bits of textures and materials (docs/formats.md).
constexpr uint8_t kHasNormals = 1, kHasUV0 = 2, kHasUV1 = 4, kHasColors = 8;
constexpr uint8_t kTextureMissing = 1, kTextureAlpha = 2;
constexpr int kTextureFaultShift = 2;  // bits 2 to 4: a missing texture's TextureFault, 0 when absent
constexpr uint8_t kTextureFaultBits = 7 << kTextureFaultShift;
constexpr uint8_t kTextureWhy = 32;  // a missing texture's format and why it was not decoded follows its size
constexpr uint8_t kTargetPositions = 1, kTargetNormals = 2;
constexpr uint8_t kMaterialTwoSided = 1, kMaterialMetalRoughness = 2, kMaterialOpacityTexture = 4,
                  kMaterialEmissiveTexture = 8, kMaterialSidesUnknown = 16, kMaterialOpacitySlip = 32;
constexpr uint8_t kMaterialFlags = kMaterialTwoSided | kMaterialMetalRoughness | kMaterialOpacityTexture |
                                   kMaterialEmissiveTexture | kMaterialSidesUnknown | kMaterialOpacitySlip;
constexpr size_t kMaterialFloats = 18;

// ---- writing ----

// Buffers small fields; large arrays go to the sink directly. Without a sink it only counts.
class Out {
 public:
  explicit Out(ByteSink* sink) : m_sink(sink) {
    if (m_sink) m_buffer.reserve(kBuffer);
  }
  uint64_t Total() const { return m_total; }
  bool Ok() const { return m_ok; }

  void Bytes(const void* bytes, size_t count) {
    m_total += count;
    if (!m_sink || !m_ok || count == 0) return;
    if (count >= kBuffer / 2) {  // after what is buffered, straight from its place
      Flush();
      m_ok = m_ok && m_sink->Write(bytes, count);
      return;
    }
    if (m_buffer.size() + count > kBuffer) Flush();
    const auto* p = static_cast<const uint8_t*>(bytes);
    m_buffer.insert(m_buffer.end(), p, p + count);
  }
  void U8(uint8_t v) { Bytes(&v, 1); }
  void U32(uint32_t v) { Bytes(&v, 4); }
  void I32(int32_t v) { Bytes(&v, 4); }
  void U64(uint64_t v) { Bytes(&v, 8); }
  void Str(const std::string& s) {
    const auto n = static_cast<uint32_t>(std::min<size_t>(s.size(), kMaxStringBytes));
    U32(n);
    Bytes(s.data(), n);
  }
  template <class T>
  void Array(const std::vector<T>& v) {
    Bytes(v.data(), v.size() * sizeof(T));
  }
  bool Flush() {
    if (m_sink && m_ok && !m_buffer.empty()) m_ok = m_sink->Write(m_buffer.data(), m_buffer.size());
    m_buffer.clear();
    return m_ok;
  }

 private:
  static constexpr size_t kBuffer = 1 << 16;
  ByteSink* m_sink;
  std::vector<uint8_t> m_buffer;
  uint64_t m_total = 0;
  bool m_ok = true;
};

uint32_t Count(size_t n, uint32_t cap = kMaxItems) { return static_cast<uint32_t>(std::min<size_t>(n, cap)); }

// A list as the reader's ReadItems takes it: its count (capped), then each item.
template <class T, class WriteItem>
void WriteItems(Out& out, const std::vector<T>& items, WriteItem write) {
  out.U32(Count(items.size()));
  for (size_t i = 0; i < Count(items.size()); ++i) write(out, items[i]);
}

bool TexturePixelsFit(const Texture& t) {
  return !t.missing && t.width > 0 && t.height > 0 && t.rgba.size() == uint64_t{t.width} * t.height * 4;
}

void WriteTexture(Out& out, const Texture& t) {
  out.Str(t.source);
  const bool pixels = TexturePixelsFit(t);
  // An absent texture's cause is 0, as before the causes were sent.
  const TextureFault fault = pixels || t.fault == TextureFault::kAbsent ? TextureFault::kNone : t.fault;
  const bool why = !pixels && fault == TextureFault::kNotDecoded && !t.undecoded.empty();
  out.U8(static_cast<uint8_t>((pixels ? 0 : kTextureMissing) | (pixels && t.hasAlpha ? kTextureAlpha : 0) |
                              static_cast<uint8_t>(fault) << kTextureFaultShift | (why ? kTextureWhy : 0)));
  out.U32(pixels ? t.width : 0);
  out.U32(pixels ? t.height : 0);
  if (why) out.Str(t.undecoded);
  if (pixels) out.Array(t.rgba);
}

void WriteMaterial(Out& out, const Material& m) {
  out.Str(m.name);
  float f[kMaterialFloats];
  std::copy(m.diffuse, m.diffuse + 4, f);
  std::copy(m.specular, m.specular + 3, f + 4);
  std::copy(m.emissive, m.emissive + 3, f + 7);
  std::copy(m.ambient, m.ambient + 3, f + 10);
  f[13] = m.shininess;
  f[14] = m.shininessStrength;
  f[15] = m.metallic;
  f[16] = m.roughness;
  f[17] = m.alphaCutoff;
  out.Bytes(f, sizeof f);
  out.U8(static_cast<uint8_t>(
      (m.twoSided ? kMaterialTwoSided : 0) | (m.metalRoughness ? kMaterialMetalRoughness : 0) |
      (m.opacityTexture ? kMaterialOpacityTexture : 0) | (m.emissiveTexture ? kMaterialEmissiveTexture : 0) |
      (m.sidesUnknown ? kMaterialSidesUnknown : 0) | (m.opacityZeroSlip ? kMaterialOpacitySlip : 0)));
  out.U8(m.alphaMode);
  out.I32(m.diffuseTexture);
  out.U32(m.diffuseUVSet);
}

void WriteMesh(Out& out, const Mesh& m) {
  const size_t vertices = m.positions.size() / 3;
  auto has = [vertices](const std::vector<float>& v, size_t per) { return !v.empty() && v.size() == vertices * per; };
  out.Str(m.name);
  out.U8(m.primitive);
  out.U8(static_cast<uint8_t>((has(m.normals, 3) ? kHasNormals : 0) | (has(m.uv[0], 2) ? kHasUV0 : 0) |
                              (has(m.uv[1], 2) ? kHasUV1 : 0) | (has(m.colors, 4) ? kHasColors : 0)));
  out.U32(m.material);
  out.U32(static_cast<uint32_t>(vertices));
  out.U32(static_cast<uint32_t>(m.primitive ? m.indices.size() / m.primitive : 0));
  out.Bytes(m.positions.data(), vertices * 3 * sizeof(float));
  if (has(m.normals, 3)) out.Array(m.normals);
  if (has(m.uv[0], 2)) out.Array(m.uv[0]);
  if (has(m.uv[1], 2)) out.Array(m.uv[1]);
  if (has(m.colors, 4)) out.Array(m.colors);
  out.Bytes(m.indices.data(), (m.primitive ? m.indices.size() / m.primitive * m.primitive : 0) * sizeof(uint32_t));
  const size_t targets = std::min<size_t>(m.targets.size(), kMaxMorphTargets);
  out.U32(static_cast<uint32_t>(targets));
  for (size_t t = 0; t < targets; ++t) {
    const MorphTarget& target = m.targets[t];
    const bool positions = has(target.positionDeltas, 3);
    const bool normals = has(m.normals, 3) && has(target.normalDeltas, 3);
    out.Str(target.name);
    out.Bytes(&target.weight, sizeof target.weight);
    out.U8(static_cast<uint8_t>((positions ? kTargetPositions : 0) | (normals ? kTargetNormals : 0)));
    if (positions) out.Array(target.positionDeltas);
    if (normals) out.Array(target.normalDeltas);
  }
}

void WriteNode(Out& out, const Node& n) {
  out.Str(n.name);
  out.I32(n.parent);
  out.Bytes(n.matrix, sizeof n.matrix);
  out.U32(Count(n.meshes.size()));
  out.Bytes(n.meshes.data(), Count(n.meshes.size()) * sizeof(uint32_t));
}

constexpr size_t kCameraFloats = 14, kLightFloats = 12;

void WriteCamera(Out& out, const Camera& c) {
  out.Str(c.name);
  out.U32(c.node);
  float f[kCameraFloats];
  std::copy(c.position, c.position + 3, f);
  std::copy(c.lookAt, c.lookAt + 3, f + 3);
  std::copy(c.up, c.up + 3, f + 6);
  f[9] = c.horizontalFov;
  f[10] = c.aspect;
  f[11] = c.clipNear;
  f[12] = c.clipFar;
  f[13] = c.orthographicWidth;
  out.Bytes(f, sizeof f);
}

void WriteLight(Out& out, const Light& l) {
  out.Str(l.name);
  out.U32(l.node);
  out.U8(l.type);
  float f[kLightFloats];
  std::copy(l.position, l.position + 3, f);
  std::copy(l.direction, l.direction + 3, f + 3);
  std::copy(l.color, l.color + 3, f + 6);
  std::copy(l.ambient, l.ambient + 3, f + 9);
  out.Bytes(f, sizeof f);
}

void WriteSkin(Out& out, const Skin& s) {
  out.U32(s.mesh);
  out.U32(Count(s.bones.size()));
  for (size_t b = 0; b < Count(s.bones.size()); ++b) {
    const Bone& bone = s.bones[b];
    const size_t n = bone.vertices.size() == bone.weights.size() ? Count(bone.vertices.size()) : 0;
    out.U32(bone.node);
    out.Bytes(bone.offset, sizeof bone.offset);
    out.U32(static_cast<uint32_t>(n));
    out.Bytes(bone.vertices.data(), n * sizeof(uint32_t));
    out.Bytes(bone.weights.data(), n * sizeof(float));
  }
}

constexpr uint8_t kMaxBehaviour = 3;

void WriteKeys(Out& out, const Keys& k, size_t width) {
  const size_t n = k.values.size() == k.times.size() * width ? Count(k.times.size(), kMaxKeys) : 0;
  out.U32(static_cast<uint32_t>(n));
  out.Bytes(k.times.data(), n * sizeof(double));
  out.Bytes(k.values.data(), n * width * sizeof(float));
}

void WriteAnimation(Out& out, const Animation& a) {
  out.Str(a.name);
  out.Bytes(&a.duration, sizeof a.duration);
  out.Bytes(&a.ticksPerSecond, sizeof a.ticksPerSecond);
  out.U32(Count(a.channels.size()));
  for (size_t c = 0; c < Count(a.channels.size()); ++c) {
    const Channel& ch = a.channels[c];
    out.U32(ch.node);
    out.U8(ch.preState);
    out.U8(ch.postState);
    WriteKeys(out, ch.translation, 3);
    WriteKeys(out, ch.rotation, 4);
    WriteKeys(out, ch.scaling, 3);
  }
  out.U32(Count(a.morphChannels.size()));
  for (size_t c = 0; c < Count(a.morphChannels.size()); ++c) {
    const MorphChannel& ch = a.morphChannels[c];
    uint64_t pairs = 0;
    for (uint32_t n : ch.counts) pairs += n;
    const bool fits = ch.counts.size() == ch.times.size() && pairs == ch.targets.size() && pairs == ch.weights.size() &&
                      pairs <= kMaxMorphPairs;
    const size_t keys = fits ? Count(ch.times.size(), kMaxKeys) : 0;
    pairs = 0;
    for (size_t k = 0; k < keys; ++k) pairs += ch.counts[k];
    out.U32(ch.node);
    out.U32(static_cast<uint32_t>(keys));
    out.Bytes(ch.times.data(), keys * sizeof(double));
    out.Bytes(ch.counts.data(), keys * sizeof(uint32_t));
    out.Bytes(ch.targets.data(), pairs * sizeof(uint32_t));
    out.Bytes(ch.weights.data(), pairs * sizeof(float));
  }
}

void WriteBody(Out& out, const Scene& scene) {
  WriteItems(out, scene.textures, WriteTexture);
  WriteItems(out, scene.materials, WriteMaterial);
  WriteItems(out, scene.meshes, WriteMesh);
  WriteItems(out, scene.nodes, WriteNode);
  WriteItems(out, scene.cameras, WriteCamera);
  WriteItems(out, scene.lights, WriteLight);
  WriteItems(out, scene.skins, WriteSkin);
  WriteItems(out, scene.animations, WriteAnimation);
  out.Str(scene.leftOut);
  WriteItems(out, scene.warnings, [](Out& o, const std::string& w) { o.Str(w); });
  out.U8(uint8_t(scene.upAxis));
  out.U8(uint8_t(scene.frontAxis));
  out.Str(scene.upFrom);
  out.Bytes(kStreamEnd, 4);
}

void WriteHeader(Out& out, StreamOutcome outcome) {
  out.Bytes(kStreamMagic, 4);
  out.U32(kStreamVersion);
  out.U8(static_cast<uint8_t>(outcome));
}

// ---- reading ----

// Buffered reading with the checks every field shares: the stream's end, the announced body size.
class In {
 public:
  explicit In(ByteSource& source) : m_source(source), m_buffer(kBuffer) {}

  DecodeResult result;
  bool failed = false;

  // From here on at most `bytes` more may be read (the announced body).
  void LimitTo(uint64_t bytes) {
    m_limited = true;
    m_left = bytes;
  }
  uint64_t Left() const { return m_left; }

  bool Damaged(const std::string& why) {
    if (!failed) result = {DecodeResult::Damaged, StreamOutcome::Scene, why};
    failed = true;
    return false;
  }

  bool Get(void* into, size_t count) {
    if (failed) return false;
    if (m_limited) {
      if (count > m_left) return Damaged("it runs past the " + std::to_string(m_body) + " bytes its body announced");
      m_left -= count;
    }
    auto* p = static_cast<uint8_t*>(into);
    const size_t buffered = std::min(count, m_end - m_pos);
    std::memcpy(p, m_buffer.data() + m_pos, buffered);
    m_pos += buffered;
    p += buffered;
    count -= buffered;
    m_read += buffered;
    while (count > 0) {
      if (count >= kBuffer / 2) {  // a large array goes straight to its place
        const size_t got = m_source.Read(p, count);
        if (got == 0) return Truncated();
        p += got;
        count -= got;
        m_read += got;
        continue;
      }
      m_pos = 0;
      m_end = m_source.Read(m_buffer.data(), kBuffer);
      if (m_end == 0) return Truncated();
      const size_t n = std::min(count, m_end);
      std::memcpy(p, m_buffer.data(), n);
      m_pos = n;
      p += n;
      count -= n;
      m_read += n;
    }
    return true;
  }
  bool U8(uint8_t& v) { return Get(&v, 1); }
  bool U32(uint32_t& v) { return Get(&v, 4); }
  bool I32(int32_t& v) { return Get(&v, 4); }
  bool U64(uint64_t& v) { return Get(&v, 8); }
  // `oneLine` turns the line breaks of a message into spaces first, so that it reads as one sentence.
  bool Str(std::string& s, const char* what, bool oneLine = false) {
    uint32_t n = 0;
    if (!U32(n)) return false;
    if (n > kMaxStringBytes)
      return Damaged(std::string(what) + " is " + std::to_string(n) + " bytes long, above the cap of " +
                     std::to_string(kMaxStringBytes));
    if (m_limited && n > m_left)
      return Damaged(std::string(what) + " is " + std::to_string(n) + " bytes long, more than the " +
                     std::to_string(m_left) + " bytes left of its body");
    if (!Charge(n)) return false;
    s.resize(n);
    if (!Get(s.data(), n)) return false;
    if (oneLine) std::replace(s.begin(), s.end(), '\n', ' ');
    // Every text from the reader is made inert here, once, before any check or message can print it.
    s = InertText(s);
    return true;
  }
  // One more item at the end of `v`, its memory counted against the stream's budget first; null when the
  // budget is spent (the stream is then damaged).
  template <class T>
  T* Grow(std::vector<T>& v) {
    if (v.size() == v.capacity() && !Charge(uint64_t{sizeof(T)} * std::max<size_t>(v.capacity(), 1))) return nullptr;
    return &v.emplace_back();
  }
  bool Items(uint32_t& n, const char* what, uint32_t cap = kMaxItems) {
    if (!U32(n)) return false;
    if (n > cap)
      return Damaged("it announces " + std::to_string(n) + " " + what + ", above the cap of " + std::to_string(cap));
    return true;
  }
  // `count` elements, the vector growing only as their bytes arrive.
  template <class T>
  bool Array(std::vector<T>& v, uint64_t count, const std::string& what) {
    return Array(v, count, [&] { return what; });
  }
  // The same with the array's name made only when a message needs it (a million small channels would
  // otherwise build millions of names).
  template <class T, class Name>
  bool Array(std::vector<T>& v, uint64_t count, const Name& what) {
    v.clear();
    if (m_limited && count > m_left / sizeof(T))
      return Damaged(what() + " announces " + std::to_string(count) + " values, more than the " +
                     std::to_string(m_left) + " bytes left of its body");
    if (!Charge(count * sizeof(T))) return false;
    constexpr size_t kChunk = (size_t{1} << 22) / sizeof(T);
    size_t done = 0;
    while (done < count) {
      const size_t want = static_cast<size_t>(std::min<uint64_t>(count - done, kChunk));
      if (done + want > v.capacity())
        v.reserve(static_cast<size_t>(std::min<uint64_t>(count, std::max(done + want, 2 * v.capacity()))));
      v.resize(done + want);
      if (!Get(v.data() + done, want * sizeof(T))) return false;
      done += want;
    }
    return true;
  }
  void SetBody(uint64_t body) { m_body = body; }

  // The host's memory for a decoded scene is held to kDecodedFactor times the body plus kDecodedSlack: a
  // stream of many empty items (each small on the wire, large in memory) is refused before it is built.
  bool Charge(uint64_t bytes) {
    m_charged += bytes;
    const uint64_t budget = kDecodedFactor * m_body + kDecodedSlack;
    if (!m_limited || m_charged <= budget) return true;
    return Damaged("it would take more than " + std::to_string(budget) + " bytes of memory to hold (" +
                   std::to_string(kDecodedFactor) + " times its " + std::to_string(m_body) + " bytes and " +
                   std::to_string(kDecodedSlack >> 20) + " MiB)");
  }

 private:
  bool Truncated() {
    if (!failed) result = {DecodeResult::Truncated, StreamOutcome::Scene, "after " + std::to_string(m_read) + " bytes"};
    failed = true;
    return false;
  }

  static constexpr size_t kBuffer = 1 << 16;
  ByteSource& m_source;
  std::vector<uint8_t> m_buffer;
  size_t m_pos = 0, m_end = 0;
  uint64_t m_read = 0;
  bool m_limited = false;
  uint64_t m_left = 0, m_body = 0, m_charged = 0;
};

std::string Item(const char* what, size_t i) { return std::string(what) + " " + std::to_string(i); }

bool ReadTexture(In& in, size_t i, Texture& t) {
  uint8_t flags = 0;
  if (!in.Str(t.source, "a texture's source") || !in.U8(flags) || !in.U32(t.width) || !in.U32(t.height)) return false;
  const uint8_t fault = (flags & kTextureFaultBits) >> kTextureFaultShift;
  if (flags & ~(kTextureMissing | kTextureAlpha | kTextureFaultBits | kTextureWhy) || fault > kLastTextureFault)
    return in.Damaged(Item("texture", i) + " has unknown flags");
  t.missing = flags & kTextureMissing;
  t.hasAlpha = flags & kTextureAlpha;
  t.fault = t.missing && fault == 0 ? TextureFault::kAbsent : static_cast<TextureFault>(fault);
  if (!t.missing && fault) return in.Damaged(Item("texture", i) + " has pixels yet a cause for missing");
  if (t.missing) {
    if (t.width || t.height || t.hasAlpha) return in.Damaged(Item("texture", i) + " is missing yet has a size");
    if (flags & kTextureWhy) {
      if (t.fault != TextureFault::kNotDecoded)
        return in.Damaged(Item("texture", i) + " says why it was not decoded yet was not");
      return in.Str(t.undecoded, "why a texture was not decoded");
    }
    return true;
  }
  const uint64_t pixels = uint64_t{t.width} * t.height;
  if (t.width == 0 || t.height == 0 || t.width > kMaxTextureSide || t.height > kMaxTextureSide ||
      pixels > kMaxTexturePixels)
    return in.Damaged(Item("texture", i) + " has the size " + std::to_string(t.width) + "x" + std::to_string(t.height));
  return in.Array(t.rgba, pixels * 4, Item("texture", i));
}

bool ReadMaterial(In& in, size_t i, size_t textures, Material& m) {
  float f[kMaterialFloats];
  uint8_t flags = 0;
  if (!in.Str(m.name, "a material's name") || !in.Get(f, sizeof f) || !in.U8(flags) || !in.U8(m.alphaMode) ||
      !in.I32(m.diffuseTexture) || !in.U32(m.diffuseUVSet))
    return false;
  std::copy(f, f + 4, m.diffuse);
  std::copy(f + 4, f + 7, m.specular);
  std::copy(f + 7, f + 10, m.emissive);
  std::copy(f + 10, f + 13, m.ambient);
  m.shininess = f[13];
  m.shininessStrength = f[14];
  m.metallic = f[15];
  m.roughness = f[16];
  m.alphaCutoff = f[17];
  m.twoSided = flags & kMaterialTwoSided;
  m.metalRoughness = flags & kMaterialMetalRoughness;
  m.opacityTexture = flags & kMaterialOpacityTexture;
  m.emissiveTexture = flags & kMaterialEmissiveTexture;
  m.sidesUnknown = flags & kMaterialSidesUnknown;
  m.opacityZeroSlip = flags & kMaterialOpacitySlip;
  if (flags & ~kMaterialFlags) return in.Damaged(Item("material", i) + " has unknown flags");
  if (m.alphaMode > 2) return in.Damaged(Item("material", i) + " has the alpha mode " + std::to_string(m.alphaMode));
  if (m.diffuseTexture < -1 || (m.diffuseTexture >= 0 && static_cast<size_t>(m.diffuseTexture) >= textures))
    return in.Damaged(Item("material", i) + " names texture " + std::to_string(m.diffuseTexture) + " of " +
                      std::to_string(textures));
  if (m.diffuseUVSet > 1)
    return in.Damaged(Item("material", i) + " reads texture-coordinate set " + std::to_string(m.diffuseUVSet));
  return true;
}

bool ReadMesh(In& in, size_t i, size_t materials, Mesh& m) {
  uint8_t attributes = 0;
  uint32_t vertices = 0, faces = 0;
  if (!in.Str(m.name, "a mesh's name") || !in.U8(m.primitive) || !in.U8(attributes) || !in.U32(m.material) ||
      !in.U32(vertices) || !in.U32(faces))
    return false;
  const std::string what = Item("mesh", i);
  if (m.primitive < 1 || m.primitive > 3)
    return in.Damaged(what + " has the primitive type " + std::to_string(m.primitive));
  if (attributes & ~(kHasNormals | kHasUV0 | kHasUV1 | kHasColors)) return in.Damaged(what + " has unknown attributes");
  if (m.material >= materials)
    return in.Damaged(what + " names material " + std::to_string(m.material) + " of " + std::to_string(materials));
  if (!in.Array(m.positions, uint64_t{vertices} * 3, what + "'s positions")) return false;
  if ((attributes & kHasNormals) && !in.Array(m.normals, uint64_t{vertices} * 3, what + "'s normals")) return false;
  if ((attributes & kHasUV0) && !in.Array(m.uv[0], uint64_t{vertices} * 2, what + "'s texture coordinates"))
    return false;
  if ((attributes & kHasUV1) && !in.Array(m.uv[1], uint64_t{vertices} * 2, what + "'s texture coordinates"))
    return false;
  if ((attributes & kHasColors) && !in.Array(m.colors, uint64_t{vertices} * 4, what + "'s colours")) return false;
  if (!in.Array(m.indices, uint64_t{faces} * m.primitive, what + "'s indices")) return false;
  const auto bad = std::find_if(m.indices.begin(), m.indices.end(), [vertices](uint32_t x) { return x >= vertices; });
  if (bad != m.indices.end())
    return in.Damaged(what + " has the index " + std::to_string(*bad) + " for " + std::to_string(vertices) +
                      " vertices");
  uint32_t targets = 0;
  if (!in.U32(targets)) return false;
  if (targets > kMaxMorphTargets)
    return in.Damaged(what + " announces " + std::to_string(targets) + " morph targets, above the cap of " +
                      std::to_string(kMaxMorphTargets));
  for (uint32_t t = 0; t < targets; ++t) {
    MorphTarget& target = m.targets.emplace_back();
    const std::string which = what + "'s morph target " + std::to_string(t);
    uint8_t flags = 0;
    if (!in.Str(target.name, "a morph target's name") || !in.Get(&target.weight, sizeof target.weight) || !in.U8(flags))
      return false;
    if (flags & ~(kTargetPositions | kTargetNormals)) return in.Damaged(which + " has unknown attributes");
    if ((flags & kTargetNormals) && !(attributes & kHasNormals))
      return in.Damaged(which + " moves normals the mesh does not have");
    if ((flags & kTargetPositions) &&
        !in.Array(target.positionDeltas, uint64_t{vertices} * 3, which + "'s position deltas"))
      return false;
    if ((flags & kTargetNormals) && !in.Array(target.normalDeltas, uint64_t{vertices} * 3, which + "'s normal deltas"))
      return false;
  }
  return true;
}

bool ReadNode(In& in, size_t i, size_t meshes, Node& n) {
  uint32_t count = 0;
  if (!in.Str(n.name, "a node's name") || !in.I32(n.parent) || !in.Get(n.matrix, sizeof n.matrix) ||
      !in.Items(count, "meshes of a node"))
    return false;
  const bool parentOk = i == 0 ? n.parent == -1 : n.parent >= 0 && static_cast<size_t>(n.parent) < i;
  if (!parentOk) return in.Damaged(Item("node", i) + " has the parent " + std::to_string(n.parent));
  if (!in.Array(n.meshes, count, Item("node", i) + "'s meshes")) return false;
  for (uint32_t m : n.meshes)
    if (m >= meshes)
      return in.Damaged(Item("node", i) + " names mesh " + std::to_string(m) + " of " + std::to_string(meshes));
  return true;
}

bool ReadCamera(In& in, size_t i, size_t nodes, Camera& c) {
  float f[kCameraFloats];
  if (!in.Str(c.name, "a camera's name") || !in.U32(c.node) || !in.Get(f, sizeof f)) return false;
  if (c.node >= nodes)
    return in.Damaged(Item("camera", i) + " names node " + std::to_string(c.node) + " of " + std::to_string(nodes));
  std::copy(f, f + 3, c.position);
  std::copy(f + 3, f + 6, c.lookAt);
  std::copy(f + 6, f + 9, c.up);
  c.horizontalFov = f[9];
  c.aspect = f[10];
  c.clipNear = f[11];
  c.clipFar = f[12];
  c.orthographicWidth = f[13];
  return true;
}

bool ReadLight(In& in, size_t i, size_t nodes, Light& l) {
  float f[kLightFloats];
  if (!in.Str(l.name, "a light's name") || !in.U32(l.node) || !in.U8(l.type) || !in.Get(f, sizeof f)) return false;
  if (l.node >= nodes)
    return in.Damaged(Item("light", i) + " names node " + std::to_string(l.node) + " of " + std::to_string(nodes));
  if (l.type < 1 || l.type > 5) return in.Damaged(Item("light", i) + " has the type " + std::to_string(l.type));
  std::copy(f, f + 3, l.position);
  std::copy(f + 3, f + 6, l.direction);
  std::copy(f + 6, f + 9, l.color);
  std::copy(f + 9, f + 12, l.ambient);
  return true;
}

bool ReadSkin(In& in, size_t i, const Scene& scene, std::vector<bool>& skinned, Skin& s) {
  uint32_t bones = 0;
  skinned.resize(scene.meshes.size());
  if (!in.U32(s.mesh)) return false;
  if (s.mesh >= scene.meshes.size())
    return in.Damaged(Item("skin", i) + " names mesh " + std::to_string(s.mesh) + " of " +
                      std::to_string(scene.meshes.size()));
  if (skinned[s.mesh]) return in.Damaged(Item("skin", i) + " skins mesh " + std::to_string(s.mesh) + " again");
  skinned[s.mesh] = true;
  if (!in.Items(bones, "bones of a skin")) return false;
  const size_t vertices = scene.meshes[s.mesh].positions.size() / 3;
  for (uint32_t b = 0; b < bones; ++b) {
    Bone* grown = in.Grow(s.bones);
    if (!grown) return false;
    Bone& bone = *grown;
    uint32_t weights = 0;
    if (!in.U32(bone.node) || !in.Get(bone.offset, sizeof bone.offset) || !in.Items(weights, "weights of a bone"))
      return false;
    const std::string what = Item("skin", i) + "'s bone " + std::to_string(b);
    if (bone.node >= scene.nodes.size())
      return in.Damaged(what + " names node " + std::to_string(bone.node) + " of " +
                        std::to_string(scene.nodes.size()));
    if (!in.Array(bone.vertices, weights, what + "'s vertices") ||
        !in.Array(bone.weights, weights, what + "'s weights"))
      return false;
    for (uint32_t v : bone.vertices)
      if (v >= vertices)
        return in.Damaged(what + " weighs vertex " + std::to_string(v) + " of " + std::to_string(vertices));
  }
  return true;
}

template <class Name>
bool ReadKeys(In& in, const Name& what, size_t width, Keys& k) {
  uint32_t n = 0;
  return in.Items(n, "keys of a channel", kMaxKeys) && in.Array(k.times, n, [&] { return what() + "'s times"; }) &&
         in.Array(k.values, uint64_t{n} * width, [&] { return what() + "'s values"; });
}

// The most morph targets a mesh of each node has: what a morph channel of the node may name.
std::vector<size_t> NodeTargets(const Scene& scene) {
  std::vector<size_t> out(scene.nodes.size());
  for (size_t i = 0; i < scene.nodes.size(); ++i)
    for (uint32_t m : scene.nodes[i].meshes) out[i] = std::max(out[i], scene.meshes[m].targets.size());
  return out;
}

// A morph channel's keys; each target index below the most targets a mesh of the channel's node has.
bool ReadMorphChannel(In& in, const std::string& what, const Scene& scene, const std::vector<size_t>& nodeTargets,
                      MorphChannel& ch) {
  uint32_t keys = 0;
  if (!in.U32(ch.node)) return false;
  if (ch.node >= scene.nodes.size())
    return in.Damaged(what + " names node " + std::to_string(ch.node) + " of " + std::to_string(scene.nodes.size()));
  if (!in.Items(keys, "keys of a morph channel", kMaxKeys) || !in.Array(ch.times, keys, what + "'s times") ||
      !in.Array(ch.counts, keys, what + "'s key sizes"))
    return false;
  uint64_t pairs = 0;
  for (uint32_t n : ch.counts) pairs += n;
  if (pairs > kMaxMorphPairs)
    return in.Damaged(what + " announces " + std::to_string(pairs) + " target weights, above the cap of " +
                      std::to_string(kMaxMorphPairs));
  if (!in.Array(ch.targets, pairs, what + "'s targets") || !in.Array(ch.weights, pairs, what + "'s weights"))
    return false;
  const size_t targets = nodeTargets[ch.node];
  for (uint32_t t : ch.targets)
    if (t >= targets)
      return in.Damaged(what + " names morph target " + std::to_string(t) + " of " + std::to_string(targets));
  return true;
}

bool ReadAnimation(In& in, size_t i, const Scene& scene, const std::vector<size_t>& nodeTargets, Animation& a) {
  const size_t nodes = scene.nodes.size();
  uint32_t channels = 0;
  if (!in.Str(a.name, "an animation's name") || !in.Get(&a.duration, sizeof a.duration) ||
      !in.Get(&a.ticksPerSecond, sizeof a.ticksPerSecond) || !in.Items(channels, "channels of an animation"))
    return false;
  for (uint32_t c = 0; c < channels; ++c) {
    Channel* grown = in.Grow(a.channels);
    if (!grown) return false;
    Channel& ch = *grown;
    const auto what = [&] { return Item("animation", i) + "'s channel " + std::to_string(c); };
    if (!in.U32(ch.node) || !in.U8(ch.preState) || !in.U8(ch.postState)) return false;
    if (ch.node >= nodes)
      return in.Damaged(what() + " names node " + std::to_string(ch.node) + " of " + std::to_string(nodes));
    if (ch.preState > kMaxBehaviour || ch.postState > kMaxBehaviour)
      return in.Damaged(what() + " has the behaviours " + std::to_string(ch.preState) + " and " +
                        std::to_string(ch.postState));
    if (!ReadKeys(
            in, [&] { return what() + "'s translation"; }, 3, ch.translation) ||
        !ReadKeys(
            in, [&] { return what() + "'s rotation"; }, 4, ch.rotation) ||
        !ReadKeys(
            in, [&] { return what() + "'s scaling"; }, 3, ch.scaling))
      return false;
  }
  uint32_t morphs = 0;
  if (!in.Items(morphs, "morph channels of an animation")) return false;
  for (uint32_t c = 0; c < morphs; ++c) {
    MorphChannel* grown = in.Grow(a.morphChannels);
    if (!grown || !ReadMorphChannel(in, Item("animation", i) + "'s morph channel " + std::to_string(c), scene,
                                    nodeTargets, *grown))
      return false;
  }
  return true;
}

// Reads `count` items of a section, each vector growing one item at a time as they arrive.
template <class T, class F>
bool ReadItems(In& in, const char* what, std::vector<T>& items, F read) {
  uint32_t count = 0;
  if (!in.Items(count, what)) return false;
  for (uint32_t i = 0; i < count; ++i) {
    T* item = in.Grow(items);
    if (!item || !read(i, *item)) return false;
  }
  return true;
}

// The reader's warnings as the terminal gets them: the first kMaxWarnings, each cut to kMaxWarningBytes,
// and one line for the rest.
bool ReadWarnings(In& in, std::vector<std::string>& warnings) {
  uint32_t count = 0;
  if (!in.Items(count, "warnings")) return false;
  std::string w;
  for (uint32_t i = 0; i < count; ++i) {
    if (!in.Str(w, "a warning")) return false;
    if (i >= kMaxWarnings) continue;
    if (w.size() > kMaxWarningBytes) w = w.substr(0, kMaxWarningBytes) + "...";
    std::string* kept = in.Grow(warnings);
    if (!kept) return false;
    *kept = w;
  }
  if (count > kMaxWarnings)
    warnings.push_back("the reader gave " + std::to_string(count - kMaxWarnings) + " more warnings, not shown");
  return true;
}

bool ReadBody(In& in, Scene& scene) {
  std::vector<bool> skinned;        // meshes a skin has named, filled once the meshes are read
  std::vector<size_t> nodeTargets;  // what a morph channel of each node may name, once the nodes are read
  uint8_t up = 0, front = 0;        // the axes' bytes, checked before they are taken as axes
  if (!ReadItems(in, "textures", scene.textures, [&](size_t i, Texture& t) { return ReadTexture(in, i, t); }) ||
      !ReadItems(in, "materials", scene.materials,
                 [&](size_t i, Material& m) { return ReadMaterial(in, i, scene.textures.size(), m); }) ||
      !ReadItems(in, "meshes", scene.meshes,
                 [&](size_t i, Mesh& m) { return ReadMesh(in, i, scene.materials.size(), m); }) ||
      !ReadItems(in, "nodes", scene.nodes,
                 [&](size_t i, Node& n) { return ReadNode(in, i, scene.meshes.size(), n); }) ||
      !ReadItems(in, "cameras", scene.cameras,
                 [&](size_t i, Camera& c) { return ReadCamera(in, i, scene.nodes.size(), c); }) ||
      !ReadItems(in, "lights", scene.lights,
                 [&](size_t i, Light& l) { return ReadLight(in, i, scene.nodes.size(), l); }) ||
      !ReadItems(in, "skins", scene.skins, [&](size_t i, Skin& s) { return ReadSkin(in, i, scene, skinned, s); }) ||
      !ReadItems(in, "animations", scene.animations,
                 [&](size_t i, Animation& a) {
                   if (nodeTargets.size() != scene.nodes.size()) nodeTargets = NodeTargets(scene);
                   return ReadAnimation(in, i, scene, nodeTargets, a);
                 }) ||
      !in.Str(scene.leftOut, "the note of what was left out") || !ReadWarnings(in, scene.warnings) || !in.U8(up) ||
      !in.U8(front) || !in.Str(scene.upFrom, "the up axis's source"))
    return false;
  if (!IsAxis(Axis(up)) || (!IsAxis(Axis(front)) && Axis(front) != Axis::None))
    return in.Damaged("its axes are " + std::to_string(up) + " and " + std::to_string(front));
  scene.upAxis = Axis(up);
  scene.frontAxis = Axis(front);
  if (scene.nodes.empty()) return in.Damaged("it has no root node");
  char end[4];
  if (!in.Get(end, 4)) return false;
  if (std::memcmp(end, kStreamEnd, 4) != 0) return in.Damaged("its end marker is wrong");
  if (in.Left() != 0) return in.Damaged(std::to_string(in.Left()) + " bytes of its announced body are left over");
  return true;
}

}  // namespace

uint64_t SceneBodySize(const Scene& scene) {
  Out out(nullptr);
  WriteBody(out, scene);
  return out.Total();
}

bool WriteSceneStream(const Scene& scene, ByteSink& sink) {
  Out out(&sink);
  WriteHeader(out, StreamOutcome::Scene);
  out.U64(SceneBodySize(scene));
  WriteBody(out, scene);
  return out.Flush();
}

bool WriteFailureStream(StreamOutcome outcome, const std::string& message, ByteSink& sink) {
  Out out(&sink);
  WriteHeader(out, outcome);
  out.Str(message);
  out.Bytes(kStreamEnd, 4);
  return out.Flush();
}

DecodeResult DecodeSceneStream(ByteSource& source, uint64_t maxBytes, Scene& scene) {
  scene = Scene();
  In in(source);
  char magic[4];
  uint32_t version = 0;
  uint8_t outcome = 0;
  if (!in.Get(magic, 4) || !in.U32(version) || !in.U8(outcome)) return in.result;
  if (std::memcmp(magic, kStreamMagic, 4) != 0) {
    in.Damaged("it does not begin with \"PMIS\"");
    return in.result;
  }
  if (version != kStreamVersion) {
    in.Damaged("its version is " + std::to_string(version) + ", not " + std::to_string(kStreamVersion));
    return in.result;
  }
  if (outcome > static_cast<uint8_t>(StreamOutcome::OutsideRoot)) {
    in.Damaged("its outcome " + std::to_string(outcome) + " is unknown");
    return in.result;
  }
  if (outcome != static_cast<uint8_t>(StreamOutcome::Scene)) {
    DecodeResult failure{DecodeResult::Failure, static_cast<StreamOutcome>(outcome), {}};
    char end[4];
    if (!in.Str(failure.message, "the reader's message", true) || !in.Get(end, 4)) return in.result;
    if (std::memcmp(end, kStreamEnd, 4) != 0) {
      in.Damaged("its end marker is wrong");
      return in.result;
    }
    return failure;
  }
  uint64_t body = 0;
  if (!in.U64(body)) return in.result;
  if (body > maxBytes)
    return {DecodeResult::Failure, StreamOutcome::OutputLimit,
            "the reader announced " + std::to_string(body) + " bytes"};
  in.SetBody(body);
  in.LimitTo(body);
  if (!ReadBody(in, scene)) {
    scene = Scene();
    return in.result;
  }
  return {DecodeResult::Scene, StreamOutcome::Scene, {}};
}

}  // namespace PM::Import
