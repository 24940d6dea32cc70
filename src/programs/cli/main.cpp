#include <cstdio>

#ifdef _WIN32
int wmain() {
#else
int main() {
#endif
  std::printf("drivewarden-cli %s\n", DW_VERSION);
  return 0;
}
