// Hostile PDF documents made by hand for tests: streams that inflate to gigabytes from a few
// kilobytes, absurd pages, nesting too deep to follow, lying page counts and active content.
#pragma once

#include <cstdint>
#include <string>

// The body of a stream object filtered twice with Flate that inflates to prefix, then the pattern
// (1, 2 or 4 bytes) repeated to fillBytes, then suffix; entries go into its dictionary.
std::string inflatingStream(const std::string& entries, const std::string& prefix, const std::string& pattern,
                            std::uint64_t fillBytes, const std::string& suffix = "");

// One letter page showing "Hello" whose content stream holds that many blanks besides.
std::string blankFloodPdf(std::uint64_t blankBytes);
// One page whose content saves the graphics state that many times before showing "Hello".
std::string savedStatesPdf(std::uint64_t saves);
// One page showing an image of side x side RGB pixels, all black, drawn small.
std::string hugeImagePdf(int side);
// One page showing "Hello" in an embedded TrueType font whose file inflates to that many bytes.
std::string fontBombPdf(std::uint64_t fontBytes);
// One page showing "Hello" with the given media box and extra page entries (/UserUnit 75000).
std::string absurdPagePdf(const std::string& mediaBox, const std::string& extraPageEntries = "");
// One page whose page tree claims count pages.
std::string claimedPageCountPdf(std::int64_t count);
// One page whose resources hold arrays nested depth deep, and an outline tree nested as deep whose
// deepest item names itself as its next sibling.
std::string deeplyNestedPdf(int depth);
// One page, but a catalog holding dictionaries nested depth deep.
std::string nestedCatalogPdf(int depth);
// One page; the document asks to run JavaScript when opened and to launch a program (with
// markerPath as its argument) when closed.
std::string activeContentPdf(const std::string& markerPath);
// One page whose title holds the given bytes (written as a hexadecimal string).
std::string titledPdf(const std::string& title);
