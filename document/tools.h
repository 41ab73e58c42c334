// The three tool programs: where they lie, how they are started, found and stopped.
#pragma once

#include <string>
#include <vector>

#include "app/viewer.h"

void setUpToolPaths(Viewer& v);          // bitness and the three paths, at start-up
std::vector<std::string> textExtractorArguments(const std::string& documentPath,
                                                const std::string& cacheFolder);
std::vector<std::string> pageConverterArguments(int page, float renderDpi,
                                                const std::string& documentPath,
                                                const std::string& cacheFolder);
void startTextExtractor(Viewer& v);
void startPageConverter(Viewer& v, int page);
void stopPageConverter();
void stopAllTools();                     // the exit order: pdfinfo, pdftotext, pdftopng
