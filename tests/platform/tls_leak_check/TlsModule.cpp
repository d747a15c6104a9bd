// A module with thread-local storage of its own: loaded with dlopen, each thread that touches it gets a
// block of dynamic TLS from malloc.
thread_local char t_block[24];

extern "C" char* TouchBlock() {
  t_block[0] = 1;
  return t_block;
}
