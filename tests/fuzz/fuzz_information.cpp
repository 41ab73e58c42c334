// Fuzz target: the information file's lines (page count, page size, conversion resolution).
#include <cstdint>
#include <sstream>
#include <string>

#include "document/information.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::istringstream lines(std::string(reinterpret_cast<const char*>(data), size));
    std::string line;
    while (std::getline(lines, line)) {
        if (isPagesLine(line)) parsePagesLine(line);
        if (isPageSizeLine(line)) {
            std::string widthText, heightText;
            float width = 0, height = 0;
            parsePageSizeLine(line, widthText, heightText, width, height);
            computeRenderDpi(width, height, 600.0f);
        }
    }
    return 0;
}
