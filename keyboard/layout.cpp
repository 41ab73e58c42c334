// The keyboard configuration: Pagewell.ini's on/off switch and the fifteen row values of key labels.
#include <array>

#include "keyboard/ini.h"
#include "keyboard/keyboard.h"
#include "media/desktop/desktop.h"
#include "media/text/text.h"

namespace {

const std::string separator = "\xC2\xA6";  // the broken bar, U+00A6, as UTF-8

// Rows 1 to 5: their key names' prefixes and the last field each one uses.
struct RowSpec {
    const char* prefix;
    int lastField;
};
constexpr std::array<RowSpec, 5> rows{
    {{"1stROW_", 15}, {"2ndROW_", 15}, {"3rdROW_", 15}, {"4thROW_", 14}, {"5thROW_", 6}}};

void appendRow(std::vector<KeyEntry>& keys, const std::string& value, int lastField) {
    for (auto& label : parseRowValue(value, lastField)) keys.push_back(KeyEntry{std::move(label)});
}

// Fills one case's list from the five row values of that case ("LowerCase", "UpperCase", "AltGRCase").
void readCase(const IniFile& ini, const std::string& caseName, std::vector<KeyEntry>& keys) {
    keys.clear();
    for (const auto& row : rows) appendRow(keys, ini.read(row.prefix + caseName, ""), row.lastField);
}

}  // namespace

std::vector<std::string> parseRowValue(const std::string& value, int lastField) {
    std::vector<std::string> fields;
    std::size_t start = 0;
    while (true) {
        const auto end = value.find(separator, start);
        fields.push_back(value.substr(start, end == std::string::npos ? std::string::npos : end - start));
        if (end == std::string::npos) break;
        start = end + separator.size();
    }
    std::vector<std::string> labels;
    for (int field = 2; field <= lastField; ++field) {
        const auto index = static_cast<std::size_t>(field - 1);
        labels.push_back(index < fields.size() ? media::trimmed(fields[index], " \t") : std::string());
    }
    return labels;
}

void readKeyboardLayout(Viewer& v) {
    auto& k = v.keyboard;
    k.lowerKeys.clear();
    k.upperKeys.clear();
    k.altGrKeys.clear();
    k.keyboardDisabled = false;
    IniFile ini;
    if (!ini.open(v.layout.programFolder + "Pagewell.ini")) {
        media::messageBox("Severe error!",
                          "Could not find Pagewell.ini!\n\nPlease locate or re-install. On-screen keyboard "
                          "will be disabled...");
        k.keyboardDisabled = true;
        return;
    }
    ini.selectSection("GLOBAL");
    if (media::asciiUpper(ini.read("EnableOn-ScreenKeyboard", "YES")) == "NO") k.keyboardDisabled = true;
    ini.selectSection("KEYBOARD_LAYOUT");
    readCase(ini, "LowerCase", k.lowerKeys);
    readCase(ini, "UpperCase", k.upperKeys);
    readCase(ini, "AltGRCase", k.altGrKeys);
}
