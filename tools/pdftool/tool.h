// Shared pieces of the tool program: opening a PDF with MuPDF, messages, safe output files, PNG output.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

extern "C" {
#include <mupdf/fitz.h>
#include <mupdf/pdf.h>
}

// Exit codes of the three tools.
constexpr int kExitOk = 0;
constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;
constexpr int kExitTimeOut = 3;
// The document needs a password, and none or a wrong one was given.
constexpr int kExitPassword = 4;

// The password for documents locked by one comes in the environment variable PAGEWELL_PASSWORD, never
// on the command line, where every user of the machine can read it. Takes it (once, at start) and
// wipes it from this process's environment block.
void takePasswordFromEnvironment();
// Output made from a document that needed a password holds its decrypted content: it is written
// readable by its owner alone, whatever the umask.
bool outputIsPrivate();

// The name the program was started under, for messages ("pdftopng.exe").
void setProgramName(const std::string& name);
const std::string& programName();
// Writes "<program>: <text>" and a line end on standard error.
void reportError(const std::string& text);

// An open PDF document; pageCount is at least 1 once openPdf succeeded: the pages that can be found,
// or (countReachable false) the count the document claims, until reachablePageCount has checked it.
struct PdfSession {
    fz_context* ctx = nullptr;
    pdf_document* pdf = nullptr;
    int pageCount = 0;
    bool countReachable = true;
};

// Opens a PDF that has pages, unlocking it with the given password where it needs one. Returns
// kExitOk, or reports why and returns kExitPassword (locked) or kExitFailure (any other reason).
// quiet silences MuPDF's own warnings. With claimedCount the count is taken as the document claims it,
// without looking up its last page (all of a large page tree): for a run that names its pages, which
// it checks with pageInDocument.
int openPdf(const std::string& path, bool quiet, PdfSession& session, bool claimedCount = false);
bool pageInDocument(PdfSession& session, int page);  // 1-based; within the count and found
int reachablePageCount(PdfSession& session);         // checks a claimed count once; the pages found
void closePdf(PdfSession& session);
fz_document* asDocument(PdfSession& session);

// Ends the process with a message when one unit of work (a page) runs longer than the limit, or the
// run has used up its processor time (SIGXCPU), removing the temporary file named by watchTemporary.
void armWatchdog(unsigned seconds);
void watchTemporary(const std::string& temporaryPath);

// Output written under a hidden temporary name beside its final name, renamed when complete,
// so that a file present under the final name is always whole.
struct TemporaryOutput {
    FILE* file = nullptr;
    std::string temporaryPath;
    std::string finalPath;
};
bool openTemporaryOutput(const std::string& finalPath, TemporaryOutput& output);
// Closes and renames; on any write or rename error the temporary file is removed and false returned.
bool commitTemporaryOutput(TemporaryOutput& output);
void discardTemporaryOutput(TemporaryOutput& output);

// Writes 8-bit RGB rows (stride bytes apart) as PNG: zlib level 1, no row filter.
bool writeRgbPng(FILE* file, int width, int height, const unsigned char* pixels, std::ptrdiff_t stride,
                 double dotsPerInch);

// Writes the document's outline to path (through a temporary file): a heading line, then one line an
// entry, "level<TAB>page<TAB>title", in reading order; level 1 is the top, page 0 leads nowhere here.
bool writeOutline(PdfSession& session, const std::string& path);

// The kinds of work, each given the arguments after the program name.
int runInfo(const std::vector<std::string>& arguments);
int runText(const std::vector<std::string>& arguments);
int runRender(const std::vector<std::string>& arguments);
int runRegion(const std::vector<std::string>& arguments);
