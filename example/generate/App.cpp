// The example product's main program: it only says which version it is.

#include <cstdio>

int main() {
  std::puts("Example application 1.2.3.4");
  return 0;
}
