// The value types shared by the sound front end and the sound modules.
#pragma once

#include <cstdint>

namespace PM {

// Which module makes the device: 0 the process default, 1 DirectSound, 2 OpenAL.
enum SDType : int32_t { kSDDefault = 0, kSDDirectSound = 1, kSDOpenAL = 2 };
// Speaker layout and mixing quality hints; 0 takes the process default. Modules read them as hints.
enum SpeakerType : int32_t { kSpeakersDefault = 0, kSpeakersMono = 1, kSpeakersStereo = 2 };
enum Quality : int32_t { kQualityDefault = 0 };
// How an audio source keeps its samples: 1 unset, 2 streamed through a block, 4 the whole sound in a block.
enum CacheMode : int32_t { kCacheNone = 1, kCacheStreamed = 2, kCacheWhole = 4 };

}  // namespace PM
