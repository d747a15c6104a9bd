// SceneStream: the byte stream the importer's reader program sends its host (docs/formats.md, "Import
// scene stream"): the writer the reader uses and the decoder the module uses, which checks every count,
// index and size and allocates only as the bytes arrive.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "import/ImportScene.h"

namespace PM::Import {

// How a stream begins: "PMIS", then the version.
inline constexpr char kStreamMagic[4] = {'P', 'M', 'I', 'S'};
inline constexpr uint32_t kStreamVersion = 4;
inline constexpr char kStreamEnd[4] = {'P', 'M', 'I', 'E'};

// What the reader says after the header. The numbers are part of the format.
enum class StreamOutcome : uint8_t {
  Scene = 0,          // a scene follows
  Refused = 1,        // Assimp refused the file; its message follows
  AddressSpace = 2,   // an allocation failed under the address-space limit
  OutputLimit = 3,    // the scene is larger than the output limit; a message follows
  ReaderFault = 4,    // the reader itself failed (its arguments, an unexpected exception); a message follows
  ReaderRefused = 5,  // the reader's own bounds refused what Assimp read; its message follows
  OutsideRoot = 6,    // the model file lies outside the asset root; the root follows
};

// Hard caps of the decoder, whatever the stream announces.
inline constexpr uint32_t kMaxStringBytes = 65536;
// The reader's warnings the host logs, and how much of each; the rest are counted in one line.
inline constexpr uint32_t kMaxWarnings = 50;
inline constexpr size_t kMaxWarningBytes = 400;
// The host's memory for a decoded scene: at most this many times the stream's body, plus the slack.
inline constexpr uint64_t kDecodedFactor = 4;
inline constexpr uint64_t kDecodedSlack = uint64_t{64} << 20;
inline constexpr uint32_t kMaxItems = 1u << 20;  // textures, materials, meshes, nodes, a node's meshes, cameras, lights
// Keys a channel or a morph channel: as many as one import takes in all (SceneBounds).
inline constexpr uint32_t kMaxKeys = 1u << 23;
inline constexpr uint32_t kMaxTextureSide = 32768;
inline constexpr uint64_t kMaxTexturePixels = uint64_t{1} << 28;
inline constexpr uint32_t kMaxMorphTargets = 65536;            // a mesh's
inline constexpr uint64_t kMaxMorphPairs = uint64_t{1} << 24;  // target-weight pairs of a morph channel

// Where the writer's bytes go. False stops the writing (the host went away).
class ByteSink {
 public:
  virtual ~ByteSink() = default;
  virtual bool Write(const void* bytes, size_t count) = 0;
};

// Where the decoder's bytes come from. Reads up to `count` bytes and returns how many it got; 0 at the
// end of the stream or on a failure, which the source keeps itself (a time-out, a read error).
class ByteSource {
 public:
  virtual ~ByteSource() = default;
  virtual size_t Read(void* into, size_t count) = 0;
};

// The bytes a scene's body takes (everything after its size field).
uint64_t SceneBodySize(const Scene& scene);
// Writes a whole stream holding `scene`.
bool WriteSceneStream(const Scene& scene, ByteSink& sink);
// Writes a whole stream holding a failure and its message (cut to kMaxStringBytes).
bool WriteFailureStream(StreamOutcome outcome, const std::string& message, ByteSink& sink);

// What decoding ended with.
struct DecodeResult {
  enum Kind {
    Scene,      // `scene` holds what was sent
    Failure,    // the reader reported `outcome` with `message`
    Truncated,  // the bytes stopped before the stream's end (the reader died, or the source failed)
    Damaged,    // the bytes break the format; `message` says where
  } kind = Damaged;
  StreamOutcome outcome = StreamOutcome::Scene;
  std::string message;
};

// Decodes one stream from `source` into `scene` (emptied first, and left empty unless the result is
// Scene). A scene body larger than `maxBytes` is damaged.
DecodeResult DecodeSceneStream(ByteSource& source, uint64_t maxBytes, Scene& scene);

}  // namespace PM::Import
