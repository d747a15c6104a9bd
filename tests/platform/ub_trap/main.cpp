// The sanitizer tree's undefined-behaviour checks trap; the report must still say where. Adds INT_MAX and
// the argument count in a function of its own: the run must end in AddressSanitizer's report of the trap,
// whose summary names this file and the line of the addition.
#include <climits>
#include <cstdio>

namespace {

__attribute__((noinline)) int Add(int a, int b) {
  return a + b;  // the overflowing line
}

}  // namespace

int main(int argc, char**) {
  std::printf("%d\n", Add(INT_MAX, argc));
  return 0;
}
