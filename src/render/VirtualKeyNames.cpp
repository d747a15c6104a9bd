// The engine's four-letter names of virtual keys.
#include "render/InputTracker.h"

namespace PM {

namespace {

constexpr uint32_t Pack(const char* s) {
  uint32_t v = 0;
  for (int i = 0; i < 4 && s[i]; ++i) v |= uint32_t(uint8_t(s[i])) << (8 * i);
  return v;
}

struct KeyName {
  uint32_t vk;
  const char* name;
};
constexpr KeyName kNames[] = {
    {33, "PGUP"},  {34, "PGDN"},  {35, "END"},   {36, "HOME"},  {37, "CSLF"},  {38, "CSUP"},
    {39, "CSRT"},  {40, "CSDN"},  {45, "INS"},   {46, "DEL"},   {106, "NUM*"}, {107, "NUM+"},
    {108, "NUME"}, {109, "NUM-"}, {110, "NUM."}, {111, "NUM/"},
};

}  // namespace

uint32_t TranslateVirtualKey(uint32_t vk) {
  // The value is range-tested as passed: a key with its top bit set is no key.
  if (vk < 33 || vk > 135) return 0;
  if (vk >= 96 && vk <= 105) return Pack("NUM") | uint32_t('0' + (vk - 96)) << 24;
  if (vk >= 112) {
    uint32_t n = vk - 111;
    return n < 10 ? Pack("F") | uint32_t('0' + n) << 8
                  : Pack("F") | uint32_t('0' + n / 10) << 8 | uint32_t('0' + n % 10) << 16;
  }
  for (const KeyName& k : kNames)
    if (k.vk == vk) return Pack(k.name);
  return 0;
}

}  // namespace PM
