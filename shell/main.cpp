// zq: the interpreter shell (placeholder until the shell lands).
#include <cstdio>

#include "builtins/zqbuiltins.h"

int main() {
  bnInitialize();
  std::puts("zq");
  return 0;
}
