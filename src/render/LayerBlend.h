// The transform layer's blend of one row, (s a + t (255 - a)) / 255 on each channel of straight RGBA
// with a the source's alpha, in SIMD kernels that give the integer formula's bytes exactly.
#pragma once

#include "engine/Image.h"

namespace PM {

// Blends `count` source pixels over target pixels into `out`, which may be `s` or `t`: each group of
// pixels is read before it is written. Takes the widest kernel the processor offers.
void BlendRow(const R8G8B8A8* s, const R8G8B8A8* t, R8G8B8A8* out, int count);

// The kernels BlendRow chooses from, for checking each one on any machine. The SSE2 kernel runs on
// every x86-64 processor; the AVX2 one does nothing and returns false on a processor without AVX2.
void BlendRowSSE2(const R8G8B8A8* s, const R8G8B8A8* t, R8G8B8A8* out, int count);
bool BlendRowAVX2(const R8G8B8A8* s, const R8G8B8A8* t, R8G8B8A8* out, int count);

}  // namespace PM
