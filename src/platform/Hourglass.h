// Shows the "watch" cursor on every open window while a scope loads something slow, and restores each
// window's own cursor when it ends. With no window open it does nothing.
#pragma once

#include <vector>

namespace PM {

struct PlatformWindow;

class Hourglass {
 public:
  Hourglass();
  ~Hourglass();
  Hourglass(const Hourglass&) = delete;
  Hourglass& operator=(const Hourglass&) = delete;

  int WindowCount() const { return int(m_windows.size()); }

 private:
  std::vector<PlatformWindow*> m_windows;
  unsigned long m_cursor = 0;
};

}  // namespace PM
