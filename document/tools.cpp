// The three tool programs: their folder, their argument vectors, starting, following and stopping them.
#include "document/tools.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <utility>

#include "context/helpers.h"
#include "document/conversion.h"
#include "document/information.h"
#include "document/outline.h"
#include "media/display/display.h"
#include "media/system/system.h"
#include "media/text/text.h"

namespace {

const char* const pageConverterName = "pdftopng.exe";
const char* const textExtractorName = "pdftotext.exe";
const char* const informationProgramName = "pdfinfo.exe";
const char* const regionRendererName = "pdfregion.exe";
const std::string passwordVariable = "PAGEWELL_PASSWORD";

// A path starting with "-" would be taken for an option; "./-x" names the same file.
std::string asOperand(const std::string& path) {
    if (!path.empty() && path[0] == '-') return "./" + path;
    return path;
}

// The converter's resolution as a whole number, halves to even; kept in a range a number can hold.
std::string wholeDpi(float renderDpi) {
    return std::to_string(static_cast<long>(converterDotsPerInch(renderDpi)));
}

// Fixed notation whatever the locale, precise enough to name one pixel among a million.
std::string decimal(double value) {
    char text[64];
    auto result = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, 6);
    return std::string(text, result.ptr);
}

std::string clipText(const PageRegion& region) {
    return decimal(region.left) + "," + decimal(region.top) + "," + decimal(region.right) + "," +
           decimal(region.bottom);
}

std::string toolRole(const ToolState& tools, const std::string& program) {
    if (program == tools.pdftopngPath) return "The page converter";
    if (program == tools.pdftotextPath) return "The text extractor";
    if (program == tools.toolFolder + regionRendererName) return "The region renderer";
    return "The information program";
}

// A tool that could not be started is said in the terminal with its path, once an opening, since the
// converter is tried for every page; the opening's first such problem, its cause as a rule, is said
// on screen by the frame that takes it.
void noteUnstarted(ToolState& tools, const std::string& program, const std::string& why) {
    const std::string problem = toolRole(tools, program) + " could not be started: " + why;
    if (std::find(tools.startProblems.begin(), tools.startProblems.end(), problem) !=
        tools.startProblems.end())
        return;
    std::fprintf(stderr, "pagewell: %s (%s)\n", problem.c_str(), media::forTerminal(program).c_str());
    tools.startProblems.push_back(problem);
}

// "PAGEWELL_PASSWORD=<password>" made in place, in room reserved before the password comes in: no
// temporary and no outgrown buffer holds a copy that would be freed without being wiped.
void addPasswordEntry(std::string& entry, const std::string& password) {
    entry.reserve(passwordVariable.size() + 1 + password.size());
    entry += '=';
    entry += password;
}

// Starts a tool for the open document. A locked document's password goes into the child's
// environment alone: never on a command line, which every user can read in /proc, and never into
// the viewer's own environment. The one copy made for the start is wiped once the child has it.
int runTool(Viewer& v, const std::string& program, const std::vector<std::string>& arguments,
            media::RunOptions options, int* exitStatus = nullptr) {
    options.environment = {passwordVariable};  // one the viewer inherited is never passed on
    if (v.document.documentNeedsPassword)
        addPasswordEntry(options.environment.front(), v.document.documentPassword);
    std::string whyNotStarted;
    options.whyNotStarted = &whyNotStarted;
    const int pid = media::runProgram(program, arguments, options, exitStatus);
    forgetSecret(options.environment.front());
    if (pid == 0 && !whyNotStarted.empty()) noteUnstarted(v.tools, program, whyNotStarted);
    return pid;
}

int runInformationInto(Viewer& v, const std::string& outputFile) {
    media::RunOptions options;
    options.workingFolder = v.document.documentCacheFolder;
    options.wait = true;
    options.standardOutputFile = outputFile;
    int status = -1;
    runTool(v, v.tools.pdfinfoPath, informationArguments(v.document.documentPath), options, &status);
    return status;
}

std::string outlineFile(const Viewer& v) {
    return v.document.documentCacheFolder + outlineFileName;
}

// The run started ahead for the open document, when there is one: waited for, its output moved into
// place. Nothing when there is none or its output cannot be moved.
std::optional<int> takeInformationAhead(Viewer& v, const std::string& outputFile) {
    ToolState& tools = v.tools;
    if (tools.aheadProcess == 0 || tools.aheadDocument != v.document.documentPath) return std::nullopt;
    const int status = media::waitForProgram(tools.aheadProcess);
    tools.aheadProcess = 0;
    if (media::renameFile(tools.aheadOutput, outputFile)) return status;
    media::deleteFile(tools.aheadOutput);
    return std::nullopt;
}

}  // namespace

void setUpToolPaths(Viewer& v) {
    ToolState& tools = v.tools;
    tools.toolFolder = v.layout.programFolder + toolSubfolder;
    tools.pdftopngPath = tools.toolFolder + pageConverterName;
    tools.pdfinfoPath = tools.toolFolder + informationProgramName;
    tools.pdftotextPath = tools.toolFolder + textExtractorName;
}

std::vector<std::string> informationArguments(const std::string& documentPath,
                                              const std::string& outlineFile) {
    if (outlineFile.empty()) return {asOperand(documentPath)};
    return {"-outline", asOperand(outlineFile), asOperand(documentPath)};
}

std::vector<std::string> textExtractorArguments(const std::string& documentPath,
                                                const std::string& cacheFolder) {
    return {"-q", asOperand(documentPath), asOperand(cacheFolder + "TextualData.txt")};
}

std::vector<std::string> pageConverterArguments(int page, float renderDpi, const std::string& documentPath,
                                                const std::string& cacheFolder) {
    const std::string pageText = std::to_string(page);
    return {"-q",
            "-f",
            pageText,
            "-l",
            pageText,
            "-r",
            wholeDpi(renderDpi),
            asOperand(documentPath),
            asOperand(cacheFolder + "page")};
}

double converterDotsPerInch(float renderDpi) {
    double dpi = std::nearbyint(static_cast<double>(renderDpi));
    if (!std::isfinite(dpi) || dpi < 1.0) dpi = 1.0;
    return std::min(dpi, 100000.0);
}

std::vector<std::string> regionRendererArguments(const PageRegion& region, const std::string& documentPath,
                                                 const std::string& outputFile) {
    return {"-q",
            "-f",
            std::to_string(region.page),
            "-r",
            decimal(region.dotsPerInch),
            "-c",
            clipText(region),
            asOperand(documentPath),
            asOperand(outputFile)};
}

// An information file left by a program that did not start or did not end its own way holds nothing
// to go by: the next opening runs the program again.
int runInformationProgram(Viewer& v) {
    const std::string file = v.document.documentCacheFolder + "Information.ini";
    const std::optional<int> ahead = takeInformationAhead(v, file);
    const int status = ahead ? *ahead : runInformationInto(v, file);
    if (status == -1) media::deleteFile(file);
    return status;
}

int startOutlineReader(Viewer& v) {
    media::RunOptions options;
    options.workingFolder = v.document.documentCacheFolder;
    options.standardOutputFile = "/dev/null";
    return runTool(v, v.tools.pdfinfoPath, informationArguments(v.document.documentPath, outlineFile(v)),
                   options);
}

namespace {

// Where the shared page starts; the first eight bytes before it say its length once it is whole.
constexpr std::size_t sharedPageOffset = 64;
// Room for the largest page image a converter makes (25 million pixels of four bytes) and its header.
// The memory is taken only where the page's pixels are written.
constexpr std::size_t sharedPageBytes = sharedPageOffset + 100'000'000 + 128;

// A page converter with the viewer's raised priority; the one for the page waited on shares its page
// too. Without the memory it runs as any other, and its page comes with its file.
int startConverter(Viewer& v, std::vector<std::string> arguments, int page, bool sharePixels) {
    ToolState& tools = v.tools;
    media::RunOptions options;
    options.workingFolder = tools.toolFolder;
    if (sharePixels) {
        releaseSharedPage(tools);
        if (media::makeSharedMemory(sharedPageBytes, tools.sharedPixels)) {
            tools.sharedPage = page;
            options.sharedDescriptor = tools.sharedPixels.descriptor;
            arguments.insert(arguments.begin(), "-share");
        }
    }
    const int process = runTool(v, tools.pdftopngPath, arguments, options);
    if (process == 0 && sharePixels) releaseSharedPage(tools);
    media::raiseProgramPriority(process);
    return process;
}

}  // namespace

void startInformationAhead(Viewer& v, const std::string& documentPath, const std::string& outputFile) {
    media::RunOptions options;
    options.standardOutputFile = outputFile;
    ToolState& tools = v.tools;
    tools.aheadProcess = runTool(v, tools.pdfinfoPath, informationArguments(documentPath), options);
    tools.aheadDocument = tools.aheadProcess != 0 ? documentPath : std::string();
    tools.aheadOutput = outputFile;
}

void startFirstPageAhead(Viewer& v, const std::string& documentPath, const std::string& cacheFolder) {
    constexpr float letterWidth = 612.0f, letterHeight = 792.0f;
    ToolState& tools = v.tools;
    tools.aheadDpi = computeRenderDpi(letterWidth, letterHeight, v.document.fallbackDpi);
    tools.aheadFolder = cacheFolder;
    tools.aheadConverterProcess =
        startConverter(v, pageConverterArguments(1, tools.aheadDpi, documentPath, cacheFolder), 1, true);
}

namespace {

void stopFirstPageAhead(ToolState& tools) {
    if (tools.aheadConverterProcess == 0) return;
    if (!media::stopProgram(tools.aheadConverterProcess)) media::waitForProgram(tools.aheadConverterProcess);
    tools.aheadConverterProcess = 0;
    releaseSharedPage(tools);
    media::deleteFile(pageImageBase(tools.aheadFolder, 1) + ".png");
}

}  // namespace

int takeFirstPageAhead(Viewer& v) {
    ToolState& tools = v.tools;
    const int process = tools.aheadConverterProcess;
    const DocumentState& d = v.document;
    if (tools.aheadFolder != d.documentCacheFolder || wholeDpi(tools.aheadDpi) != wholeDpi(d.renderDpi)) {
        stopFirstPageAhead(tools);
        return 0;
    }
    tools.aheadConverterProcess = 0;
    return process;
}

void dropInformationAhead(Viewer& v) {
    ToolState& tools = v.tools;
    stopFirstPageAhead(tools);
    if (tools.aheadProcess == 0) return;
    if (!media::stopProgram(tools.aheadProcess)) media::waitForProgram(tools.aheadProcess);
    media::deleteFile(tools.aheadOutput);
    tools.aheadProcess = 0;
    tools.aheadDocument.clear();
}

int testDocumentPassword(Viewer& v) {
    return runInformationInto(v, "/dev/null");
}

// The text is background work: it keeps the viewer's priority, so that it never takes the processor
// from the page converter or from the frames that show what the reader waits on.
void startTextExtractor(Viewer& v) {
    media::RunOptions options;
    options.workingFolder = v.tools.toolFolder;
    v.tools.textExtractorProcess =
        runTool(v, v.tools.pdftotextPath,
                textExtractorArguments(v.document.documentPath, v.document.documentCacheFolder), options);
}

int startPageConverter(Viewer& v, int page, bool sharePixels) {
    std::vector<std::string> arguments = pageConverterArguments(
        page, v.document.renderDpi, v.document.documentPath, v.document.documentCacheFolder);
    return startConverter(v, std::move(arguments), page, sharePixels);
}

namespace {

// The shared page's length once it is whole and for page, else 0.
std::uint64_t sharedPageLength(const ToolState& tools, int page) {
    if (page == 0 || tools.sharedPage != page) return 0;
    const std::uint64_t length = media::sharedLengthMark(tools.sharedPixels);
    return length <= tools.sharedPixels.size - sharedPageOffset ? length : 0;
}

}  // namespace

bool sharedPageReady(const Viewer& v, int page) {
    return sharedPageLength(v.tools, page) != 0;
}

bool takeSharedPage(Viewer& v, int page, int spriteNumber) {
    ToolState& tools = v.tools;
    const std::uint64_t length = sharedPageLength(tools, page);
    if (length == 0) return false;
    const bool loaded =
        media::loadSpriteFromMemory(spriteNumber, tools.sharedPixels.bytes + sharedPageOffset, length);
    releaseSharedPage(tools);
    return loaded;
}

void releaseSharedPage(ToolState& tools) {
    media::releaseSharedMemory(tools.sharedPixels);
    tools.sharedPage = 0;
}

bool startRegionServer(Viewer& v, const std::string& folder, RegionServer& server) {
    server = RegionServer{};
    constexpr std::size_t pamHeaderRoom = 128;
    const std::size_t screenBytes =
        static_cast<std::size_t>(v.layout.screenWidth) * static_cast<std::size_t>(v.layout.screenHeight) * 4;
    if (!media::openLineChannel(server.channel)) return false;
    if (!media::makeSharedMemory(pamHeaderRoom + screenBytes, server.pixels)) {
        media::closeLineChannel(server.channel);
        return false;
    }
    media::RunOptions options;
    options.workingFolder = v.tools.toolFolder;
    options.standardInputDescriptor = options.standardOutputDescriptor = server.channel.theirs;
    options.sharedDescriptor = server.pixels.descriptor;
    server.process =
        runTool(v, v.tools.toolFolder + regionRendererName,
                {"-q", "-serve", asOperand(v.document.documentPath), asOperand(folder)}, options);
    media::handOver(server.channel);
    if (server.process == 0) {
        media::closeLineChannel(server.channel);
        media::releaseSharedMemory(server.pixels);
        return false;
    }
    media::raiseProgramPriority(server.process);
    server.document = v.document.documentPath;
    server.folder = folder;
    return true;
}

std::string regionRequest(const PageRegion& region) {
    return "-f " + std::to_string(region.page) + " -r " + decimal(region.dotsPerInch) + " -c " +
           clipText(region) + " -";
}

std::string takeToolProblem(Viewer& v) {
    ToolState& tools = v.tools;
    if (tools.startProblems.empty() || tools.startProblemSaid) return {};
    tools.startProblemSaid = 1;
    return tools.startProblems.front();
}

void forgetToolProblem(Viewer& v) {
    v.tools.startProblems.clear();
    v.tools.startProblemSaid = 0;
}

bool pageConverterRunning() {
    return media::isProgramRunning(pageConverterName) != 0;
}

// An id of ours still running has not been reaped, so it cannot belong to another process yet.
void stopOwnPageConverter(Viewer& v) {
    if (media::programRunning(v.conversion.converterProcess))
        media::stopProgram(v.conversion.converterProcess);
    v.conversion.converterProcess = 0;
    // A page shared by the run ahead is the opening's to take.
    if (v.tools.aheadConverterProcess == 0) releaseSharedPage(v.tools);
}

// Only the programs this viewer started: another viewer's converter or extractor goes on. The
// information program is always waited for.
void stopAllTools(Viewer& v) {
    if (media::programRunning(v.tools.textExtractorProcess)) media::stopProgram(v.tools.textExtractorProcess);
    stopOwnPageConverter(v);
}
