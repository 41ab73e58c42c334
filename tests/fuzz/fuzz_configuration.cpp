// Fuzz target: the configuration file (sections, keys, the keyboard rows' labels).
#include <unistd.h>

#include <cstdint>
#include <string>

#include "keyboard/ini.h"
#include "keyboard/keyboard.h"
#include "media/system/system.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const std::string path = "/tmp/pagewell-fuzz-configuration-" + std::to_string(getpid()) + ".ini";
    media::writeWholeFile(path, std::string(reinterpret_cast<const char*>(data), size));
    IniFile file;
    if (file.open(path)) {
        file.selectSection("GLOBAL");
        file.read("EnableOn-ScreenKeyboard", "YES");
        file.selectSection("KEYBOARD_LAYOUT");
        for (const char* key : {"1stROW_LowerCase", "4thROW_UpperCase", "5thROW_AltGRCase"}) {
            parseRowValue(file.read(key, ""), 15);
        }
    }
    return 0;
}
