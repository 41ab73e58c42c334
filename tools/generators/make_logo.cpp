// Placeholder until the logo generator is written.
#include <cstdio>
int main(int argc, char** argv) { if (argc < 2) return 2; FILE* f = std::fopen(argv[1], "wb"); if (!f) return 1; std::fputs("logo", f); std::fclose(f); return 0; }
