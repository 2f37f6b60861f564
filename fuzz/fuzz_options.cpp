// Linked into every fuzz target: one input may take a second at most, so a
// slow input is a finding like a crash. libFuzzer reads its flags after this
// hook; a -timeout given on the command line comes later and wins.

#include <cstring>
#include <vector>

namespace {

char kTimeout[] = "-timeout=1";

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  static std::vector<char*> arguments;
  arguments.assign(*argv, *argv + *argc);
  arguments.insert(arguments.begin() + (*argc > 0 ? 1 : 0), kTimeout);
  arguments.push_back(nullptr);
  *argc += 1;
  *argv = arguments.data();
  return 0;
}
