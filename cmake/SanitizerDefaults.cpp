// The sanitizers' defaults, compiled into every program of the AddressSanitizer tree (ASAN_OPTIONS and
// LSAN_OPTIONS add to them).

// The tree's undefined-behaviour checks end in a trap instruction (see PM_SAN_FLAGS): AddressSanitizer
// then reports the SIGILL with the stack, whose top frame is the function, file and line of the fault.
extern "C" __attribute__((visibility("default"), used)) const char* __asan_default_options() {  // NOLINT
  return "handle_sigill=1";
}

// GCC 12's runtime takes a dynamic TLS block that happens to start 16 bytes into a page for one
// of glibc 2.18's, reads a start and a size from the 16 bytes before it, and its stop-the-world tracer
// then faults scanning that range: "Tracer caught signal 11" after a clean run, now and then, in programs
// whose drivers (Mesa's) give many threads dynamic TLS. Not scanning dynamic TLS at all avoids it: the
// project's thread-local state is the library's, in static TLS (it is loaded at start, not opened later),
// and no module it opens keeps any. tests/platform/tls_leak_check lands a block there every time.
extern "C" __attribute__((visibility("default"), used)) const char* __lsan_default_options() {  // NOLINT
  return "intercept_tls_get_addr=0";
}
