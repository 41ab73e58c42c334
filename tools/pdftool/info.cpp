// pdfinfo.exe: the document's properties as "Key: value" lines on standard output.
#include <sys/stat.h>

#include <cmath>
#include <cstring>

#include "tool.h"

namespace {

struct FirstPage {
    float width = 0;
    float height = 0;
    int rotation = 0;
};

struct PaperSize {
    const char* name;
    double width;
    double height;
};

constexpr PaperSize kPaperSizes[] = {
    {"A3", 841.89, 1190.551}, {"A4", 595.276, 841.89},  {"A5", 419.528, 595.276},
    {"A6", 297.638, 419.528}, {"B5", 498.898, 708.661}, {"letter", 612, 792},
    {"legal", 612, 1008},     {"executive", 522, 756},  {"tabloid", 792, 1224},
};
// Real documents round their sizes differently (a TeX A5 page is 422.36 x 595.27).
constexpr double kPaperTolerance = 5.0;

void printProperty(const char* name, const std::string& value) {
    std::printf("%-16s %s\n", name, value.c_str());
}

// One property a line: control characters in a value (a title with a line break) become blanks.
std::string oneLine(const std::string& text) {
    std::string line;
    for (char c : text) line += (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) ? ' ' : c;
    std::size_t first = line.find_first_not_of(' ');
    if (first == std::string::npos) return "";
    return line.substr(first, line.find_last_not_of(' ') - first + 1);
}

// The value's size with its terminating zero, or -1 when the document has no such value.
int lookupMetadata(PdfSession& session, const char* key, char* buffer, int size) {
    int needed = -1;
    fz_var(needed);
    fz_try(session.ctx) {
        needed = fz_lookup_metadata(session.ctx, asDocument(session), key, buffer, size);
    }
    fz_catch(session.ctx) {
        needed = -1;
    }
    return needed;
}

std::string metadata(PdfSession& session, const char* key) {
    std::vector<char> buffer(2048);
    int needed = lookupMetadata(session, key, buffer.data(), static_cast<int>(buffer.size()));
    if (needed > static_cast<int>(buffer.size())) {
        buffer.resize(static_cast<std::size_t>(needed));
        needed = lookupMetadata(session, key, buffer.data(), needed);
    }
    if (needed <= 0) return "";
    return oneLine(std::string(buffer.data(), strnlen(buffer.data(), buffer.size())));
}

bool readDigits(const std::string& text, std::size_t& at, int count, int& value) {
    if (at + static_cast<std::size_t>(count) > text.size()) return false;
    value = 0;
    for (int i = 0; i < count; ++i) {
        char c = text[at + static_cast<std::size_t>(i)];
        if (c < '0' || c > '9') return false;
        value = value * 10 + (c - '0');
    }
    at += static_cast<std::size_t>(count);
    return true;
}

std::string formatZone(const std::string& text, std::size_t at) {
    if (at >= text.size()) return "";
    if (text[at] == 'Z') return " UTC";
    if (text[at] != '+' && text[at] != '-') return "";
    char sign = text[at++];
    int hours = 0, minutes = 0;
    if (!readDigits(text, at, 2, hours)) return "";
    if (at < text.size() && text[at] == '\'') ++at;
    if (!readDigits(text, at, 2, minutes)) minutes = 0;
    char zone[16];
    std::snprintf(zone, sizeof zone, " %c%02d:%02d", sign, hours, minutes);
    return zone;
}

// "D:20230122143000+01'00'" reads "2023-01-22 14:30:00 +01:00"; what does not parse is shown as it is.
std::string formatDate(const std::string& raw) {
    std::size_t at = raw.compare(0, 2, "D:") == 0 ? 2 : 0;
    int parts[6] = {0, 1, 1, 0, 0, 0};
    if (!readDigits(raw, at, 4, parts[0])) return raw;
    for (int i = 1; i < 6 && readDigits(raw, at, 2, parts[i]); ++i) {
    }
    char date[32];
    std::snprintf(date, sizeof date, "%04d-%02d-%02d %02d:%02d:%02d", parts[0], parts[1], parts[2], parts[3],
                  parts[4], parts[5]);
    return date + formatZone(raw, at);
}

// Up to three decimals, no trailing zeros: 595.276, 841.89, 612.
std::string formatPoints(double value) {
    char text[64];
    std::snprintf(text, sizeof text, "%.3f", value);
    std::string number = text;
    number.erase(number.find_last_not_of('0') + 1);
    if (number.back() == '.') number.pop_back();
    return number == "-0" ? "0" : number;
}

std::string paperName(double width, double height) {
    auto near = [](double a, double b) { return std::fabs(a - b) <= kPaperTolerance; };
    for (const PaperSize& paper : kPaperSizes) {
        if (near(width, paper.width) && near(height, paper.height))
            return std::string(" (") + paper.name + ")";
        if (near(width, paper.height) && near(height, paper.width))
            return std::string(" (") + paper.name + " landscape)";
    }
    return "";
}

// The visible (crop) box of the first page as shown, rotation applied, and its /Rotate value.
bool readFirstPage(PdfSession& session, FirstPage& first, std::string& errorText) {
    fz_context* ctx = session.ctx;
    fz_page* page = nullptr;
    fz_var(page);
    bool ok = true;
    fz_try(ctx) {
        page = fz_load_page(ctx, asDocument(session), 0);
        fz_rect box = fz_bound_page(ctx, page);
        first.width = box.x1 - box.x0;
        first.height = box.y1 - box.y0;
        pdf_obj* pageObject = pdf_lookup_page_obj(ctx, session.pdf, 0);
        first.rotation = pdf_to_int(ctx, pdf_dict_get_inheritable(ctx, pageObject, PDF_NAME(Rotate)));
    }
    fz_always(ctx) {
        fz_drop_page(ctx, page);
    }
    fz_catch(ctx) {
        errorText = fz_caught_message(ctx);
        ok = false;
    }
    first.rotation = ((first.rotation % 360) + 360) % 360;
    return ok;
}

std::string encryptionText(PdfSession& session) {
    std::string method = metadata(session, FZ_META_ENCRYPTION);
    if (method.empty() || method == "None") return "no";
    return "yes (" + method + ")";
}

std::string versionText(PdfSession& session) {
    std::string format = metadata(session, FZ_META_FORMAT);
    if (format.compare(0, 4, "PDF ") == 0 || format.compare(0, 4, "PDF-") == 0) format.erase(0, 4);
    return format.empty() ? "unknown" : format;
}

std::string fileSizeText(const std::string& path) {
    struct stat status {};
    if (stat(path.c_str(), &status) != 0) return "unknown";
    return std::to_string(static_cast<long long>(status.st_size)) + " bytes";
}

void printTextProperties(PdfSession& session) {
    const std::pair<const char*, const char*> texts[] = {
        {"Title:", FZ_META_INFO_TITLE},       {"Subject:", FZ_META_INFO_SUBJECT},
        {"Keywords:", FZ_META_INFO_KEYWORDS}, {"Author:", FZ_META_INFO_AUTHOR},
        {"Creator:", FZ_META_INFO_CREATOR},   {"Producer:", FZ_META_INFO_PRODUCER}};
    for (const auto& [name, key] : texts) {
        std::string value = metadata(session, key);
        if (!value.empty()) printProperty(name, value);
    }
    std::string created = metadata(session, FZ_META_INFO_CREATIONDATE);
    if (!created.empty()) printProperty("CreationDate:", formatDate(created));
    std::string modified = metadata(session, FZ_META_INFO_MODIFICATIONDATE);
    if (!modified.empty()) printProperty("ModDate:", formatDate(modified));
}

// "-outline <file>" before the document also writes its outline there.
bool readInfoArguments(const std::vector<std::string>& arguments, std::string& document,
                       std::string& outline) {
    std::size_t first = 0;
    if (arguments.size() == 3 && arguments[0] == "-outline" && !arguments[1].empty()) {
        outline = arguments[1];
        first = 2;
    }
    if (arguments.size() != first + 1 || arguments[first].empty()) return false;
    document = arguments[first];
    return true;
}

}  // namespace

int runInfo(const std::vector<std::string>& arguments) {
    std::string document, outline;
    if (!readInfoArguments(arguments, document, outline)) {
        std::fprintf(stderr, "usage: %s [-outline <file>] <document.pdf>\n", programName().c_str());
        return kExitUsage;
    }
    armWatchdog(60);
    PdfSession session;
    if (int status = openPdf(document, true, session); status != kExitOk) return status;
    FirstPage first;
    std::string errorText;
    if (!readFirstPage(session, first, errorText)) {
        reportError("cannot read page 1 of '" + document + "': " + errorText);
        closePdf(session);
        return kExitFailure;
    }
    printTextProperties(session);
    printProperty("Pages:", std::to_string(session.pageCount));
    printProperty("Encrypted:", encryptionText(session));
    printProperty("Page size:", formatPoints(first.width) + " x " + formatPoints(first.height) + " pts" +
                                    paperName(first.width, first.height));
    printProperty("Page rot:", std::to_string(first.rotation));
    printProperty("File size:", fileSizeText(document));
    printProperty("PDF version:", versionText(session));
    // The properties are complete without it: an outline that cannot be written is only said so.
    if (!outline.empty()) writeOutline(session, outline);
    closePdf(session);
    return std::fflush(stdout) == 0 ? kExitOk : kExitFailure;
}
