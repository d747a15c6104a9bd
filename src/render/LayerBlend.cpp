// Each channel c of a blended pixel is x / 255 with x = c a + t (255 - a) at most 255 * 255 = 65,025,
// so the products and their sum fit 16-bit lanes, and for every x below 65,536 the truncated quotient
// x / 255 is (x * 0x8081) >> 23: the high half of a 16 x 16-bit product shifted right by 7. Alpha is
// the fourth channel of the same formula (a a + t.A (255 - a)), so all four lanes of a pixel take the
// same steps.
#include "render/LayerBlend.h"

#include <immintrin.h>

#include <cstdint>
#include <cstring>

namespace PM {

namespace {

// Two pixels widened to 16-bit lanes: s and t, and a, each pixel's alpha in its four lanes.
__m128i BlendWide(__m128i s, __m128i t, __m128i a) {
  const __m128i x = _mm_add_epi16(_mm_mullo_epi16(s, a), _mm_mullo_epi16(t, _mm_xor_si128(a, _mm_set1_epi16(255))));
  return _mm_srli_epi16(_mm_mulhi_epu16(x, _mm_set1_epi16(int16_t(0x8081))), 7);
}

__m128i SpreadAlpha(__m128i wide) { return _mm_shufflehi_epi16(_mm_shufflelo_epi16(wide, 0xFF), 0xFF); }

__attribute__((target("avx2"))) __m256i BlendWide(__m256i s, __m256i t, __m256i a) {
  const __m256i x =
      _mm256_add_epi16(_mm256_mullo_epi16(s, a), _mm256_mullo_epi16(t, _mm256_xor_si256(a, _mm256_set1_epi16(255))));
  return _mm256_srli_epi16(_mm256_mulhi_epu16(x, _mm256_set1_epi16(int16_t(0x8081))), 7);
}

// Eight pixels a step; returns how many were blended (the whole groups of eight).
__attribute__((target("avx2"))) int BlendEightsAVX2(const R8G8B8A8* s, const R8G8B8A8* t, R8G8B8A8* out, int n) {
  const __m256i zero = _mm256_setzero_si256();
  // Byte shuffles (within each 128-bit half, as the unpacks work) putting the alpha byte of pixels
  // 0, 1 (low) or 2, 3 (high) of the half into that pixel's four 16-bit lanes.
  const __m256i alphaLo = _mm256_setr_epi8(3, -1, 3, -1, 3, -1, 3, -1, 7, -1, 7, -1, 7, -1, 7, -1, 3, -1, 3, -1, 3, -1,
                                           3, -1, 7, -1, 7, -1, 7, -1, 7, -1);
  const __m256i alphaHi = _mm256_setr_epi8(11, -1, 11, -1, 11, -1, 11, -1, 15, -1, 15, -1, 15, -1, 15, -1, 11, -1, 11,
                                           -1, 11, -1, 11, -1, 15, -1, 15, -1, 15, -1, 15, -1);
  int i = 0;
  for (; i + 8 <= n; i += 8) {
    const __m256i sv = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(s + i));
    const __m256i tv = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(t + i));
    const __m256i lo =
        BlendWide(_mm256_unpacklo_epi8(sv, zero), _mm256_unpacklo_epi8(tv, zero), _mm256_shuffle_epi8(sv, alphaLo));
    const __m256i hi =
        BlendWide(_mm256_unpackhi_epi8(sv, zero), _mm256_unpackhi_epi8(tv, zero), _mm256_shuffle_epi8(sv, alphaHi));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + i), _mm256_packus_epi16(lo, hi));
  }
  return i;
}

bool HasAVX2() {
  static const bool has = __builtin_cpu_supports("avx2");
  return has;
}

}  // namespace

void BlendRowSSE2(const R8G8B8A8* s, const R8G8B8A8* t, R8G8B8A8* out, int count) {
  const __m128i zero = _mm_setzero_si128();
  int i = 0;
  for (; i + 4 <= count; i += 4) {
    const __m128i sv = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i));
    const __m128i tv = _mm_loadu_si128(reinterpret_cast<const __m128i*>(t + i));
    const __m128i sl = _mm_unpacklo_epi8(sv, zero), sh = _mm_unpackhi_epi8(sv, zero);
    const __m128i lo = BlendWide(sl, _mm_unpacklo_epi8(tv, zero), SpreadAlpha(sl));
    const __m128i hi = BlendWide(sh, _mm_unpackhi_epi8(tv, zero), SpreadAlpha(sh));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), _mm_packus_epi16(lo, hi));
  }
  // The last one to three pixels by the same steps, two and then one at a time.
  if (i + 2 <= count) {
    int64_t sp, tp;
    std::memcpy(&sp, s + i, 8);
    std::memcpy(&tp, t + i, 8);
    const __m128i sl = _mm_unpacklo_epi8(_mm_cvtsi64_si128(sp), zero);
    const __m128i x = BlendWide(sl, _mm_unpacklo_epi8(_mm_cvtsi64_si128(tp), zero), SpreadAlpha(sl));
    const int64_t op = _mm_cvtsi128_si64(_mm_packus_epi16(x, x));
    std::memcpy(out + i, &op, 8);
    i += 2;
  }
  if (i < count) {
    int32_t sp, tp;
    std::memcpy(&sp, s + i, 4);
    std::memcpy(&tp, t + i, 4);
    const __m128i sl = _mm_unpacklo_epi8(_mm_cvtsi32_si128(sp), zero);
    const __m128i x = BlendWide(sl, _mm_unpacklo_epi8(_mm_cvtsi32_si128(tp), zero), SpreadAlpha(sl));
    const int32_t op = _mm_cvtsi128_si32(_mm_packus_epi16(x, x));
    std::memcpy(out + i, &op, 4);
  }
}

bool BlendRowAVX2(const R8G8B8A8* s, const R8G8B8A8* t, R8G8B8A8* out, int count) {
  if (!HasAVX2()) return false;
  const int done = count >= 8 ? BlendEightsAVX2(s, t, out, count) : 0;
  BlendRowSSE2(s + done, t + done, out + done, count - done);
  return true;
}

void BlendRow(const R8G8B8A8* s, const R8G8B8A8* t, R8G8B8A8* out, int count) {
  if (count >= 8 && HasAVX2()) {
    const int done = BlendEightsAVX2(s, t, out, count);
    s += done, t += done, out += done, count -= done;
  }
  BlendRowSSE2(s, t, out, count);
}

}  // namespace PM
