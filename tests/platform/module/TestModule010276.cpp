// A sibling module for the module-loading tests: one C++ function and one with C linkage.
namespace PM {
int TestModuleTwice(int x) { return 2 * x; }
}  // namespace PM

extern "C" __attribute__((visibility("default"))) int TestModuleAnswer() { return TEST_MODULE_ANSWER; }
