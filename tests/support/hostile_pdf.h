// Hostile PDF documents made by hand for tests: streams that inflate to gigabytes from a few
// kilobytes, absurd pages, nesting too deep to follow, lying page counts and active content.
// Each has one page showing "Hello" unless said otherwise.
#pragma once

#include <cstdint>
#include <string>

std::string blankFloodPdf(std::uint64_t blankBytes);  // that many blanks in the content stream besides
std::string savedStatesPdf(std::uint64_t saves);      // the graphics state saved that many times first
std::string hugeImagePdf(int side);  // also an image of side x side black RGB pixels, drawn small
std::string fontBombPdf(std::uint64_t fontBytes);     // in a TrueType font whose file inflates to fontBytes
std::string claimedPageCountPdf(std::int64_t count);  // a page tree that claims count pages
// Resources holding arrays nested depth deep, and an outline tree nested as deep whose deepest item
// names itself as its next sibling.
std::string deeplyNestedPdf(int depth);
std::string nestedCatalogPdf(int depth);  // a catalog holding dictionaries nested depth deep
// The document asks to run JavaScript when opened and to launch a program (with markerPath as its
// argument) when closed.
std::string activeContentPdf(const std::string& markerPath);
std::string titledPdf(const std::string& title);  // a title of the given bytes, as a hexadecimal string
