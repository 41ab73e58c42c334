// Placeholder definitions, replaced one by one by the real ones; this file goes when empty.
#include "document/conversion.h"
#include "document/document.h"
#include "document/information.h"
#include "document/tools.h"

std::string pageImageBase(const Viewer& v, int page) { (void)v; (void)page; return {}; }
std::string pageImageFile(Viewer& v, int page) { (void)v; (void)page; return {}; }
void startConversion(Viewer& v) { (void)v; }
void conversionTick(Viewer& v) { (void)v; }
void progressBarStep(Viewer& v) { (void)v; }
void thumbnailRequest(Viewer& v) { (void)v; }
void stopPageFileWorker(Viewer& v) { (void)v; }
void openDocument(Viewer& v) { (void)v; }
void openDocumentPath(Viewer& v, const std::string& path) { (void)v; (void)path; }
std::string cacheFolderName(const std::string& documentPath, std::int64_t modificationTime) { (void)documentPath; (void)modificationTime; return {}; }
bool isPagesLine(const std::string& line) { (void)line; return {}; }
int parsePagesLine(const std::string& line) { (void)line; return {}; }
bool isPageSizeLine(const std::string& line) { (void)line; return {}; }
void parsePageSizeLine(const std::string& line, std::string& widthText, std::string& heightText, float& widthPoints, float& heightPoints) { (void)line; (void)widthText; (void)heightText; (void)widthPoints; (void)heightPoints; }
float computeRenderDpi(float widthPoints, float heightPoints, float fallbackDpi) { (void)widthPoints; (void)heightPoints; (void)fallbackDpi; return {}; }
void readCachedInformation(Viewer& v) { (void)v; }
void runInformationStep(Viewer& v) { (void)v; }
void readPageData(Viewer& v) { (void)v; }
void buildInfoPanel(Viewer& v, bool cachedVariant) { (void)v; (void)cachedVariant; }
void setUpToolPaths(Viewer& v) { (void)v; }
std::vector<std::string> textExtractorArguments(const std::string& documentPath, const std::string& cacheFolder) { (void)documentPath; (void)cacheFolder; return {}; }
std::vector<std::string> pageConverterArguments(int page, float renderDpi, const std::string& documentPath, const std::string& cacheFolder) { (void)page; (void)renderDpi; (void)documentPath; (void)cacheFolder; return {}; }
void startTextExtractor(Viewer& v) { (void)v; }
void startPageConverter(Viewer& v, int page) { (void)v; (void)page; }
void stopPageConverter() { }
void stopAllTools() { }
