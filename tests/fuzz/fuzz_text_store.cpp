// Fuzz target: the extracted-text file split into pages, normalised and cut into display lines.
#include <cstdint>
#include <string>

#include "media/text/text.h"
#include "text/text_store.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string bytes = media::repairToUtf8(std::string(reinterpret_cast<const char*>(data), size));
    for (PageText& page : splitPages(bytes)) {
        std::string text = normalisePageText(page.text);
        countBlanks(text);
        cutDisplayLines(text, 1 + static_cast<int>(size % 97), 1 + static_cast<int>(size % 13));
    }
    return 0;
}
