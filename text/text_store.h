// The extracted-text store: TextualData.txt split into normalised page texts and display lines.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "context/viewer.h"

// Pure steps.
std::vector<PageText> splitPages(const std::string& fileBytes);  // form feeds and 0 bytes end pages
std::string normalisePageText(std::string text);                 // blank runs 22..2 reduced, trimmed
long long countBlanks(const std::string& text);
// Byte offset just after the characters from pos that fill at most `columns` display columns (a wide
// character takes two). At least one character is taken, so a wide character on a one-column line
// still moves the cut on.
std::size_t advanceColumns(const std::string& text, std::size_t pos, std::size_t columns);
// Cuts text into lines of at most lineColumns display columns (a wide character takes two), at most
// maxLines lines.
std::vector<std::string> cutDisplayLines(const std::string& text, int lineColumns, int maxLines);

// TextualData.txt is read once it is there (a file present is whole: the extractor renames it into
// place), by the frame step's loadExtractedText, not before frame fromFrame is flipped.
void awaitExtractedText(Viewer& v, std::int64_t fromFrame);
// Reads the file when its size is above 0; otherwise leaves the request pending.
void loadExtractedText(Viewer& v);
// An opening: the previous document's text is neither shown, copied nor searched any more. The search
// worker must have ended (resetSearch).
void clearTextStore(Viewer& v);
