// Document information: Information.ini, the page count, the page size, renderDpi and the panel.
#pragma once

#include <string>
#include <vector>

#include "context/viewer.h"

// Pure parsing.
bool isPagesLine(const std::string& line);
int parsePagesLine(const std::string& line);
bool isPageSizeLine(const std::string& line);
// Sets width/height texts and points from a "Page size:" line.
void parsePageSizeLine(const std::string& line, std::string& widthText, std::string& heightText,
                       float& widthPoints, float& heightPoints);
float computeRenderDpi(float widthPoints, float heightPoints, float fallbackDpi);

// Steps of opening.
void readCachedInformation(Viewer& v);  // trimmed lines, page count, panel (cached variant)
// Runs the information program, lines as read, panel (fresh); returns the program's exit status.
int runInformationStep(Viewer& v);
void readPageData(Viewer& v);  // page count, page size and renderDpi
void buildInfoPanel(Viewer& v, bool cachedVariant);
