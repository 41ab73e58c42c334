// The document's outline (its contents): Outline.txt in the cache folder, written by the information
// program beside Information.ini.
#pragma once

#include <string>
#include <vector>

#include "context/viewer.h"

constexpr const char* outlineFileName = "Outline.txt";

// Lines "level<TAB>page<TAB>title" after the heading; a line that does not read so is left out, a
// level deeper than one below the entry before it is taken as one below, so the tree holds together.
std::vector<OutlineEntry> parseOutline(const std::string& bytes);
// The outline file is there (a document without an outline has one of its heading line alone).
bool outlinePresent(const Viewer& v);
std::vector<OutlineEntry> readOutline(const Viewer& v);
