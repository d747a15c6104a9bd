// An input tracker for tests: each call becomes one line, "MouseDown(10,20,1)".
#pragma once

#include <string>
#include <vector>

#include "render/InputTracker.h"

namespace PM::Test {

class RecordingTracker final : public InputTracker {
 public:
  ~RecordingTracker() = default;
  void MouseMove(int32_t x, int32_t y, uint32_t b) override { Add("MouseMove", x, y, b); }
  void Reserved1() override { calls.push_back("Reserved1"); }
  void MouseWheel(int32_t x, int32_t y, float steps, uint32_t b) override {
    calls.push_back("MouseWheel(" + std::to_string(x) + "," + std::to_string(y) + "," + std::to_string(steps) + "," +
                    std::to_string(b) + ")");
  }
  void MouseDown(int32_t x, int32_t y, uint32_t b) override { Add("MouseDown", x, y, b); }
  void MouseUp(int32_t x, int32_t y, uint32_t b) override { Add("MouseUp", x, y, b); }
  void KeyDown(uint32_t key, uint32_t c) override { Key("KeyDown", key, c); }
  void KeyUp(uint32_t key, uint32_t c) override { Key("KeyUp", key, c); }
  void Deactivate() override { calls.push_back("Deactivate"); }
  void Activate() override { calls.push_back("Activate"); }
  void FocusLost() override { calls.push_back("FocusLost"); }
  void MouseEnter(int32_t x, int32_t y, uint32_t b) override { Add("MouseEnter", x, y, b); }
  void MouseLeave() override { calls.push_back("MouseLeave"); }
  void WindowMessage(uint32_t m, uintptr_t, intptr_t) override {
    calls.push_back("WindowMessage " + std::to_string(m));
  }
  void Reserved13() override { calls.push_back("Reserved13"); }

  // Calls whose text starts with `prefix`.
  std::vector<std::string> Only(const std::string& prefix) const {
    std::vector<std::string> out;
    for (const std::string& c : calls)
      if (c.rfind(prefix, 0) == 0) out.push_back(c);
    return out;
  }

  std::vector<std::string> calls;

 private:
  void Add(const char* name, int32_t x, int32_t y, uint32_t b) {
    calls.push_back(std::string(name) + "(" + std::to_string(x) + "," + std::to_string(y) + "," + std::to_string(b) +
                    ")");
  }
  void Key(const char* name, uint32_t key, uint32_t c) {
    std::string code = (c & 0xFFFFFF00u) ? std::string(reinterpret_cast<const char*>(&c), 4) : std::to_string(c);
    calls.push_back(std::string(name) + "(" + std::to_string(key) + "," + code + ")");
  }
};

}  // namespace PM::Test
