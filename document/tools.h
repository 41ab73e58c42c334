// The three tool programs: where they lie, how they are started, followed and stopped.
#pragma once

#include <string>
#include <vector>

#include "context/viewer.h"

// The tool programs' folder in the program folder, named after the build's word size.
constexpr const char* toolSubfolder = sizeof(void*) == 8 ? "includes/bin64/" : "includes/bin32/";
void setUpToolPaths(Viewer& v);  // the tool folder and the three paths, at start-up
// Argument vectors: the words of each program's command line, never passed through a shell.
// With an outline file, the information program also writes the document's outline into it.
std::vector<std::string> informationArguments(const std::string& documentPath,
                                              const std::string& outlineFile = {});
std::vector<std::string> textExtractorArguments(const std::string& documentPath,
                                                const std::string& cacheFolder);
std::vector<std::string> pageConverterArguments(int page, float renderDpi, const std::string& documentPath,
                                                const std::string& cacheFolder);
// The exit status of a tool program that could not open a document for want of its password.
constexpr int toolNeedsPassword = 4;
// Runs pdfinfo on the open document and waits; its standard output becomes the cache folder's
// Information.ini. Returns its exit status, -1 when it could not be started or was killed. A run
// started ahead for this document is waited for and its output taken instead.
int runInformationProgram(Viewer& v);
// Starts pdfinfo on documentPath without waiting, its standard output into outputFile: a run ahead of
// the opening, which runInformationProgram takes for that document.
void startInformationAhead(Viewer& v, const std::string& documentPath, const std::string& outputFile);
// Starts page 1's converter for documentPath into cacheFolder without waiting, at the resolution of
// a Letter or A4 page (every page taller than 600 points gets it): a run ahead of the opening.
void startFirstPageAhead(Viewer& v, const std::string& documentPath, const std::string& cacheFolder);
// The opening's page 1: the converter started ahead when it is for the open document at its
// resolution, its process id (it may have ended already); otherwise 0, and a run ahead at another
// resolution is stopped and its page deleted.
int takeFirstPageAhead(Viewer& v);
// Runs ahead that no opening took are stopped and their output deleted.
void dropInformationAhead(Viewer& v);
// Runs pdfinfo with the document's password and waits, its output dropped: its exit status as above.
int testDocumentPassword(Viewer& v);
// Starts pdfinfo for the document's outline file, its properties dropped, without waiting: the
// outline can take longer to read than the properties, and no page waits for it. The process id, 0
// when it could not be started.
int startOutlineReader(Viewer& v);
void startTextExtractor(Viewer& v);  // textExtractorProcess follows it
// A rectangle of a page for the region renderer (pdfregion.exe): its corners in points from the
// page's top-left corner as shown, and the resolution to draw it at.
struct PageRegion {
    int page = 0;
    double dotsPerInch = 0.0;
    double left = 0.0, top = 0.0, right = 0.0, bottom = 0.0;
};
// The resolution the page converter is given for renderDpi: a whole number.
double converterDotsPerInch(float renderDpi);
std::vector<std::string> regionRendererArguments(const PageRegion& region, const std::string& documentPath,
                                                 const std::string& outputFile);
// Starts the region renderer serving the open document, confined to folder, with memory shared for a
// screen's pixels: false when it could not be started. It runs under a name of its own: never taken
// for the page converter.
bool startRegionServer(Viewer& v, const std::string& folder, RegionServer& server);
// A request to that renderer: region drawn into the shared memory, as a PAM.
std::string regionRequest(const PageRegion& region);
// Starts the page converter for page without waiting: its process id, 0 when it could not start.
// For the page the reader waits on (sharePixels) it also puts the page into memory shared with it,
// before it writes the page's file: takeSharedPage takes it from there.
int startPageConverter(Viewer& v, int page, bool sharePixels = false);
// The page put into the shared memory by its converter, once whole, loaded into the sprite; the memory
// then goes. False while it is not there (or is another page's, or does not load).
bool takeSharedPage(Viewer& v, int page, int spriteNumber);
bool sharedPageReady(const Viewer& v, int page);
void releaseSharedPage(ToolState& tools);
// A tool program that could not be started (missing, not executable), as the message panel says it:
// "The page converter could not be started: Permission denied". Given once; "" when there is none.
std::string takeToolProblem(Viewer& v);
void forgetToolProblem(Viewer& v);  // an opening: a tool that still cannot start is said again
// Any process named pdftopng.exe: another program's converter (another viewer's) delays our next
// start. Our own are followed by their ids.
bool pageConverterRunning();
// Stops our page converter when it still runs; another program's converter is left alone.
void stopOwnPageConverter(Viewer& v);
void stopAllTools(Viewer& v);  // at exit: our text extractor, then our page converter
