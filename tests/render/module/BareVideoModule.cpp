// A video module without factories: the library's entry points must say which function is missing.
extern "C" __attribute__((visibility("default"))) int PelmoraBareVideoModule() { return 1; }
