// The page kept in a document's cache folder, with the document's full path: LastRead.txt, written
// whole under a temporary name and renamed, at each opening and as the reader moves.
#pragma once

#include <string>

constexpr const char* lastReadFileName = "LastRead.txt";

struct ReadingPlace {
    int page = 0;      // 0: none kept
    std::string path;  // the document's full path; empty when unknown
};

// "page=<n>" on the first line, "path=<full path>" to the end of the file: a path may hold any byte
// but the zero, line ends included.
std::string formatReadingPlace(const ReadingPlace& place);
// What a file holds; a page that is no whole number above 0 is none, a missing path is empty.
ReadingPlace parseReadingPlace(const std::string& bytes);
ReadingPlace readReadingPlace(const std::string& cacheFolder);
// Written atomically: a reader finds the old place or the new one, never a part.
bool writeReadingPlace(const std::string& cacheFolder, const ReadingPlace& place);
// A write that a crash cut short leaves its temporary file behind: the opening clears them away (only
// beside a whole LastRead.txt, so that the folder is never left empty and removed).
void clearInterruptedPlaceWrites(const std::string& cacheFolder);
