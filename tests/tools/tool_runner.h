// Test helpers for the tool programs: running one with a time limit, scratch folders, reading outputs.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "tests/support/pdf_maker.h"

struct ToolRun {
    int exitCode = -1;  // -1: did not start or did not end normally
    bool timedOut = false;
    std::string standardOutput;
    std::string standardError;
};

// Runs the tool folder's program `name` ("pdfinfo.exe") with arguments, standard input from /dev/null,
// killing it after timeLimitSeconds. environment ("NAME=value") is added to the test's own, from
// which any PAGEWELL_PASSWORD is left out.
ToolRun runTool(const std::string& name, const std::vector<std::string>& arguments,
                double timeLimitSeconds = 60, const std::vector<std::string>& environment = {});

// Runs words[0] with the others as its arguments, as runTool runs a tool (a wrapper such as prlimit
// before a tool, or a probe); watch, when given, gets the process id every few milliseconds meanwhile.
ToolRun runCommand(const std::vector<std::string>& words, double timeLimitSeconds = 60,
                   const std::function<void(int)>& watch = {},
                   const std::vector<std::string>& environment = {});
std::string toolPath(const std::string& name);  // in the tool folder

// A fresh folder under /tmp whose name holds a space; removed with its content at the end.
class ScratchFolder {
public:
    ScratchFolder();
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
    std::string path(const std::string& name) const { return folder_ + name; }
    std::vector<std::string> fileNames() const;  // sorted, hidden names included

private:
    std::string folder_;  // ends with "/"
};

std::string readWholeFile(const std::string& path);
bool writeWholeFile(const std::string& path, const std::string& content);
bool fileExists(const std::string& path);

// Width and height from a PNG file's header, with its bit depth and colour type; false if not a PNG.
struct PngHeader {
    int width = 0, height = 0, bitDepth = 0, colourType = 0;
};
bool readPngHeader(const std::string& path, PngHeader& header);

// Values of an information output: "Pages:" and the two numbers of "Page size:".
struct InfoValues {
    int pages = -1;
    double width = -1, height = -1;
    int pageLines = 0;  // how many lines begin with "Pages:"
};
InfoValues parseInfo(const std::string& output);

// The real documents of the corpus with the page count and first-page size an independent tool reported.
struct CorpusDocument {
    std::string path;
    int pages = 0;
    double width = 0, height = 0;
};
std::vector<CorpusDocument> corpusDocuments();
