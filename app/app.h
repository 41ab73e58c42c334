// Start-up, the frame loop and the exit sequence.
#pragma once

#include <string>

#include "context/viewer.h"

// Runs start-up in its fixed order. False on a fatal failure (the message box has been shown).
bool startUp(Viewer& v, const StartOptions& options);
// One frame of the main loop, its steps in their fixed order. False once the loop must end.
bool runFrame(Viewer& v);
// Opens a document named outside the viewer (the command line, a later start) as the Open button
// would; one that cannot be read is said so.
void openNamedDocument(Viewer& v, const std::string& document);
// What a later start hands to the running viewer: the document's full path ("" asks only for the
// front), with "page=<n>" and a line end before it when a page was asked for.
struct HandedDocument {
    std::string path;
    int page = 0;
};
std::string handOverMessage(const std::string& path, int page);
HandedDocument readHandOverMessage(const std::string& message);
// Stops the tool programs still running and releases the media layer.
void exitSequence(Viewer& v);
// The program: command line, start-up, loop, exit. Returns the process exit code.
int runPagewell(int argc, char** argv);
