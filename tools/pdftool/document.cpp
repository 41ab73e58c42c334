// Opening PDF documents with MuPDF, the tools' messages and the watchdog that rules out a hang.
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>

#include "tool.h"

namespace {

std::string currentProgramName = "pdftool";

// The password taken from the environment; given is false when the variable was not set at all.
struct Password {
    bool given = false;
    std::string text;
};
Password documentPassword;
bool privateOutput = false;

// The watchdog's handler may only use async-signal-safe calls, so it reads a fixed buffer.
char watchedTemporary[4096];
volatile std::sig_atomic_t watchedTemporarySet = 0;

void onWatchdog(int) {
    const char* text = ": gave up, the document takes too long to process\n";
    ssize_t ignored = write(STDERR_FILENO, currentProgramName.data(), currentProgramName.size());
    ignored = write(STDERR_FILENO, text, std::strlen(text));
    (void)ignored;
    if (watchedTemporarySet) unlink(watchedTemporary);
    _exit(kExitTimeOut);
}

void ignoreMessage(void*, const char*) {}

void printWarning(void*, const char* message) {
    std::fprintf(stderr, "%s: warning: %s\n", currentProgramName.c_str(), message);
}

// A document locked by a user password opens with the password given, or not at all. An owner
// password alone locks nothing: the empty user password opens such a document without asking.
void unlock(fz_context* ctx, pdf_document* pdf, bool& locked) {
    if (!pdf_needs_password(ctx, pdf)) return;
    locked = true;
    if (!documentPassword.given) fz_throw(ctx, FZ_ERROR_GENERIC, "the document needs a password");
    if (!pdf_authenticate_password(ctx, pdf, documentPassword.text.c_str()))
        fz_throw(ctx, FZ_ERROR_GENERIC, "the password is not correct");
    locked = false;
    privateOutput = true;
}

bool pageFound(fz_context* ctx, pdf_document* pdf, int index) {
    bool found = false;
    fz_var(found);
    fz_try(ctx) {
        pdf_lookup_page_obj(ctx, pdf, index);
        found = true;
    }
    fz_catch(ctx) {
        found = false;
    }
    return found;
}

// The page tree's count is the document's own word: one claiming two billion pages with one in it
// would have every tool and the viewer work through pages that are not there. The count is the
// pages that can be found, the last one looked up, and on a lie the end found by halving.
int reachablePageCount(fz_context* ctx, pdf_document* pdf, int claimed) {
    if (claimed <= 0 || pageFound(ctx, pdf, claimed - 1)) return claimed;
    if (!pageFound(ctx, pdf, 0)) return 0;
    int found = 0;              // an index known to be there
    int missing = claimed - 1;  // one known not to be
    while (missing - found > 1) {
        const int middle = found + (missing - found) / 2;
        (pageFound(ctx, pdf, middle) ? found : missing) = middle;
    }
    return found + 1;
}

// Opens and checks the document; MuPDF errors arrive as a message in errorText, and locked tells
// whether a missing or wrong password was the reason.
// With claimedCount, the page tree's own count stands: a run that names its pages checks those alone.
pdf_document* openChecked(fz_context* ctx, const char* path, int* pageCount, std::string& errorText,
                          bool& locked, bool claimedCount) {
    pdf_document* pdf = nullptr;
    fz_var(pdf);
    fz_try(ctx) {
        pdf = pdf_open_document(ctx, path);
        unlock(ctx, pdf, locked);
        const int claimed = pdf_count_pages(ctx, pdf);
        *pageCount = claimedCount ? claimed : reachablePageCount(ctx, pdf, claimed);
        if (*pageCount <= 0)
            fz_throw(ctx, FZ_ERROR_GENERIC, "no pages found (damaged or not a PDF document)");
    }
    fz_catch(ctx) {
        errorText = fz_caught_message(ctx);
        pdf_drop_document(ctx, pdf);
        pdf = nullptr;
    }
    return pdf;
}

// MuPDF's messages for these cases ("cannot tell in file") would not help the user.
bool isNonEmptyFile(const std::string& path) {
    struct stat status {};
    if (stat(path.c_str(), &status) != 0) {
        reportError("cannot open '" + path + "': " + std::strerror(errno));
        return false;
    }
    if (!S_ISREG(status.st_mode)) {
        reportError("cannot open '" + path + "': not a regular file");
        return false;
    }
    if (status.st_size == 0) {
        reportError("cannot open '" + path + "': the file is empty");
        return false;
    }
    return true;
}

}  // namespace

void takePasswordFromEnvironment() {
    char* value = std::getenv("PAGEWELL_PASSWORD");
    if (!value) return;
    documentPassword.given = true;
    documentPassword.text = value;
    // /proc/<pid>/environ shows the block as it is now: the password's bytes go from it.
    std::memset(value, 0, std::strlen(value));
}

bool outputIsPrivate() {
    return privateOutput;
}

void setProgramName(const std::string& name) {
    currentProgramName = name;
}

const std::string& programName() {
    return currentProgramName;
}

void reportError(const std::string& text) {
    std::fprintf(stderr, "%s: %s\n", currentProgramName.c_str(), text.c_str());
}

int openPdf(const std::string& path, bool quiet, PdfSession& session, bool claimedCount) {
    if (!isNonEmptyFile(path)) return kExitFailure;
    session.ctx = fz_new_context(nullptr, nullptr, FZ_STORE_DEFAULT);
    if (!session.ctx) {
        reportError("cannot start the PDF library (out of memory)");
        return kExitFailure;
    }
    // Errors are reported once, by us, with the document's name; MuPDF's own lines would repeat them.
    fz_set_error_callback(session.ctx, ignoreMessage, nullptr);
    fz_set_warning_callback(session.ctx, quiet ? ignoreMessage : printWarning, nullptr);
    std::string errorText;
    bool locked = false;
    session.pdf = openChecked(session.ctx, path.c_str(), &session.pageCount, errorText, locked, claimedCount);
    session.countReachable = !claimedCount;
    if (!session.pdf) {
        reportError("cannot open '" + path + "': " + errorText);
        closePdf(session);
        return locked ? kExitPassword : kExitFailure;
    }
    return kExitOk;
}

bool pageInDocument(PdfSession& session, int page) {
    return page >= 1 && page <= session.pageCount && pageFound(session.ctx, session.pdf, page - 1);
}

int reachablePageCount(PdfSession& session) {
    if (!session.countReachable) {
        session.pageCount = reachablePageCount(session.ctx, session.pdf, session.pageCount);
        session.countReachable = true;
    }
    return session.pageCount;
}

void closePdf(PdfSession& session) {
    if (!session.ctx) return;
    pdf_drop_document(session.ctx, session.pdf);
    fz_drop_context(session.ctx);
    session = PdfSession{};
}

fz_document* asDocument(PdfSession& session) {
    return &session.pdf->super;
}

void armWatchdog(unsigned seconds) {
    static bool installed = false;
    if (!installed) {
        struct sigaction action {};
        action.sa_handler = onWatchdog;
        sigemptyset(&action.sa_mask);
        sigaction(SIGALRM, &action, nullptr);
        sigaction(SIGXCPU, &action, nullptr);  // the run's processor-time limit (confine.cpp)
        installed = true;
    }
    alarm(seconds);
}

void watchTemporary(const std::string& temporaryPath) {
    watchedTemporarySet = 0;
    if (temporaryPath.empty() || temporaryPath.size() >= sizeof watchedTemporary) return;
    std::memcpy(watchedTemporary, temporaryPath.c_str(), temporaryPath.size() + 1);
    watchedTemporarySet = 1;
}
