// Build-time helper: turns a file into a C++ source defining <name>Data() and <name>Size().
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: pagewell_embed <input> <name> <output.cpp>\n");
        return 2;
    }
    std::ifstream in(argv[1], std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "pagewell_embed: cannot read %s\n", argv[1]);
        return 1;
    }
    std::vector<unsigned char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::string name = argv[2];
    std::string out = "// Generated at build time from " + std::string(argv[1]) + "; do not edit.\n";
    out += "#include <cstddef>\n";
    out += "static const unsigned char bytes[] = {";
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (i % 20 == 0) out += "\n";
        out += std::to_string(bytes[i]) + ",";
    }
    out += "0};\n";
    out += "const unsigned char* " + name + "Data() { return bytes; }\n";
    out += "std::size_t " + name + "Size() { return " + std::to_string(bytes.size()) + "; }\n";
    std::ofstream file(argv[3], std::ios::binary);
    file << out;
    return file ? 0 : 1;
}
