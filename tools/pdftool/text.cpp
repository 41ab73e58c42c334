// pdftotext.exe: the whole document's text as UTF-8, every page followed by one form feed.
#include <cstring>

#include "tool.h"

namespace {

constexpr unsigned kSecondsPerPage = 120;

// Control characters would break the page count (form feeds) or the text store (zero bytes);
// tabs stay, line breaks are written by us.
bool keepCharacter(int c) {
    if (c == '\t') return true;
    if (c < 0x20 || c == 0x7f || (c >= 0x80 && c < 0xa0)) return false;
    if (c >= 0xd800 && c < 0xe000) return false;
    return c <= 0x10ffff;
}

void appendLine(fz_context* ctx, fz_buffer* text, fz_stext_line* line) {
    for (fz_stext_char* ch = line->first_char; ch; ch = ch->next) {
        if (ch->c == 0x2028 || ch->c == 0x2029)
            fz_append_byte(ctx, text, ' ');
        else if (keepCharacter(ch->c))
            fz_append_rune(ctx, text, ch->c);
    }
    fz_append_string(ctx, text, "\r\n");
}

// Lines end with CR LF; an empty line closes each block (a paragraph or column piece).
void appendPage(fz_context* ctx, fz_buffer* text, fz_stext_page* page) {
    for (fz_stext_block* block = page->first_block; block; block = block->next) {
        if (block->type != FZ_STEXT_BLOCK_TEXT) continue;
        for (fz_stext_line* line = block->u.t.first_line; line; line = line->next)
            appendLine(ctx, text, line);
        fz_append_string(ctx, text, "\r\n");
    }
}

// The page's text into text; false with the reason when the page cannot be read.
bool extractPage(PdfSession& session, int index, fz_buffer* text, std::string& errorText) {
    fz_context* ctx = session.ctx;
    fz_page* page = nullptr;
    fz_stext_page* structured = nullptr;
    fz_var(page);
    fz_var(structured);
    bool ok = true;
    fz_try(ctx) {
        page = fz_load_page(ctx, asDocument(session), index);
        fz_stext_options options{};
        structured = fz_new_stext_page_from_page(ctx, page, &options);
        appendPage(ctx, text, structured);
    }
    fz_always(ctx) {
        fz_drop_stext_page(ctx, structured);
        fz_drop_page(ctx, page);
    }
    fz_catch(ctx) {
        errorText = fz_caught_message(ctx);
        ok = false;
    }
    return ok;
}

fz_buffer* newTextBuffer(fz_context* ctx) {
    fz_buffer* text = nullptr;
    fz_var(text);
    fz_try(ctx) {
        text = fz_new_buffer(ctx, 1 << 16);
    }
    fz_catch(ctx) {
        text = nullptr;
    }
    return text;
}

// A page that cannot be read keeps its form feed, empty, so later pages keep their numbers.
bool writePages(PdfSession& session, FILE* file) {
    fz_buffer* text = newTextBuffer(session.ctx);
    if (!text) return false;
    bool written = true;
    for (int index = 0; index < session.pageCount && written; ++index) {
        armWatchdog(kSecondsPerPage);
        fz_clear_buffer(session.ctx, text);
        std::string errorText;
        if (!extractPage(session, index, text, errorText)) {
            reportError("page " + std::to_string(index + 1) + " has no text: " + errorText);
            fz_clear_buffer(session.ctx, text);
        }
        unsigned char* data = nullptr;
        std::size_t size = fz_buffer_storage(session.ctx, text, &data);
        written = std::fwrite(data, 1, size, file) == size && std::fputc('\f', file) != EOF;
    }
    fz_drop_buffer(session.ctx, text);
    return written;
}

bool parseTextArguments(const std::vector<std::string>& arguments, bool& quiet, std::string& document,
                        std::string& output) {
    std::vector<std::string> positional;
    bool optionsEnded = false;
    for (const std::string& argument : arguments) {
        if (!optionsEnded && argument == "-q")
            quiet = true;
        else if (!optionsEnded && argument == "--")
            optionsEnded = true;
        else if (!optionsEnded && argument.size() > 1 && argument[0] == '-')
            return false;
        else
            positional.push_back(argument);
    }
    if (positional.size() != 2 || positional[0].empty() || positional[1].empty()) return false;
    document = positional[0];
    output = positional[1];
    return true;
}

}  // namespace

int runText(const std::vector<std::string>& arguments) {
    bool quiet = false;
    std::string document, output;
    if (!parseTextArguments(arguments, quiet, document, output)) {
        std::fprintf(stderr, "usage: %s [-q] <document.pdf> <text file>\n", programName().c_str());
        return kExitUsage;
    }
    armWatchdog(kSecondsPerPage);
    PdfSession session;
    if (int status = openPdf(document, quiet, session); status != kExitOk) return status;
    TemporaryOutput file;
    bool ok = openTemporaryOutput(output, file);
    if (ok && !writePages(session, file.file)) {
        reportError("cannot write '" + output + "'");
        discardTemporaryOutput(file);
        ok = false;
    } else if (ok) {
        ok = commitTemporaryOutput(file);
    }
    closePdf(session);
    return ok ? kExitOk : kExitFailure;
}
