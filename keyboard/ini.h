// The keyboard layout's file in the INI form.
#pragma once

#include <string>
#include <utility>
#include <vector>

// Configuration files in the INI form. The file is read as UTF-8, or as Windows-1252 when it is not
// valid UTF-8. Section names compare without regard to case; values are trimmed of blanks and tabs.
class IniFile {
public:
    bool open(const std::string& path);
    void selectSection(const std::string& section);
    std::string read(const std::string& key, const std::string& defaultValue) const;

private:
    std::vector<std::pair<std::string, std::vector<std::pair<std::string, std::string>>>> sections_;
    int current_ = -1;
};
