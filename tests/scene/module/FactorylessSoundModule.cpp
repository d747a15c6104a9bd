// A sound module without any factory, for the "create function unresolved." road.
extern "C" __attribute__((visibility("default"))) int SoundModuleWithoutFactories() { return 0; }
