// The sanitizer tree's leak check at exit survives a dynamic TLS block that starts 16 bytes into a page
// (where GCC 12's runtime takes it for a glibc 2.18 block and reads a bogus range before it: "Tracer
// caught signal 11", exit 1). A GL driver's threads land one there now and then; this lands one there
// every time, in a thread and in the main thread. Exit 0 when the check ran through.
#include <dlfcn.h>
#include <pthread.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

char* (*g_touch)() = nullptr;
// Kept, so the leak check has nothing to report: only its own crash could fail the run.
void* g_kept[20000];
int g_count = 0;

// Allocates chunks of the block's size until the next one would start 16 bytes into a page (the
// allocator hands out a thread's chunks of one size one after another), then has the block made.
void* LandBlock(void*) {
  g_kept[g_count++] = std::malloc(24);
  g_kept[g_count++] = std::malloc(24);
  const intptr_t stride = static_cast<char*>(g_kept[g_count - 1]) - static_cast<char*>(g_kept[g_count - 2]);
  while ((reinterpret_cast<uintptr_t>(g_kept[g_count - 1]) + uintptr_t(stride)) % 4096 != 16 && g_count < 20000)
    g_kept[g_count++] = std::malloc(24);
  const uintptr_t block = reinterpret_cast<uintptr_t>(g_touch());
  std::printf("dynamic TLS block %% 4096 = %u\n", unsigned(block % 4096));
  return nullptr;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) return 2;
  void* module = dlopen(argv[1], RTLD_NOW);
  if (!module) {
    std::fprintf(stderr, "tls_leak_check: %s\n", dlerror());
    return 2;
  }
  g_touch = reinterpret_cast<char* (*)()>(dlsym(module, "TouchBlock"));
  if (!g_touch) return 2;
  pthread_t thread;
  pthread_create(&thread, nullptr, &LandBlock, nullptr);
  pthread_join(thread, nullptr);
  LandBlock(nullptr);
  return 0;
}
