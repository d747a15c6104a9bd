// The leak check's defaults, compiled into every program of the AddressSanitizer tree (LSAN_OPTIONS adds
// to them). GCC 12's runtime takes a dynamic TLS block that happens to start 16 bytes into a page for one
// of glibc 2.18's, reads a start and a size from the 16 bytes before it, and its stop-the-world tracer
// then faults scanning that range: "Tracer caught signal 11" after a clean run, now and then, in programs
// whose drivers (Mesa's) give many threads dynamic TLS. Not scanning dynamic TLS at all avoids it: the
// project's thread-local state is the library's, in static TLS (it is loaded at start, not opened later),
// and no module it opens keeps any. tests/platform/tls_leak_check lands a block there every time.
extern "C" __attribute__((visibility("default"), used)) const char* __lsan_default_options() {  // NOLINT
  return "intercept_tls_get_addr=0";
}
