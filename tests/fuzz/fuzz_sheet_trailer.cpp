// Fuzz target: the thumbnail sheet file's trailer.
#include <cstdint>
#include <string>

#include "view/sheet.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string bytes(reinterpret_cast<const char*>(data), size);
    SheetTrailer trailer = parseSheetTrailer(bytes, 765, 1080);
    if (trailer.valid &&
        (trailer.columns < 1 || trailer.rows < 1 || trailer.cellWidth < 1 || trailer.cellHeight < 1)) {
        __builtin_trap();  // a trailer taken as valid must describe a usable grid
    }
    return 0;
}
