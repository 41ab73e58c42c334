// pdfinfo.exe's outline file: the document's bookmarks, one a line as level, page and title.
#include <string>
#include <utility>
#include <vector>

#include "tool.h"

namespace {

// A damaged or hostile outline can be deep or long; beyond these the rest is left out.
constexpr int kDeepestLevel = 64;
constexpr std::size_t kMostEntries = 100000;

struct OutlineLine {
    int level = 1;
    int page = 0;  // 1-based; 0 when the entry leads nowhere in this document
    std::string title;
};

// One line a title: tabs, line breaks and other control characters become blanks.
std::string oneLineTitle(const char* title) {
    std::string line = title ? title : "";
    for (char& c : line) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) c = ' ';
    }
    return line;
}

int pageOf(fz_context* ctx, fz_document* document, const fz_outline* item) {
    if (item->page.page < 0) return 0;
    int page = -1;
    fz_var(page);
    fz_try(ctx) {
        page = fz_page_number_from_location(ctx, document, item->page);
    }
    fz_catch(ctx) {
        page = -1;
    }
    return page >= 0 ? page + 1 : 0;
}

// Walks the tree in reading order without recursion: a sibling waits on the stack while its elder's
// children are listed.
std::vector<OutlineLine> flatten(fz_context* ctx, fz_document* document, fz_outline* root) {
    std::vector<OutlineLine> lines;
    std::vector<std::pair<fz_outline*, int>> pending;
    if (root) pending.emplace_back(root, 1);
    while (!pending.empty() && lines.size() < kMostEntries) {
        auto [item, level] = pending.back();
        pending.pop_back();
        lines.push_back({level, pageOf(ctx, document, item), oneLineTitle(item->title)});
        if (item->next) pending.emplace_back(item->next, level);
        if (item->down && level < kDeepestLevel) pending.emplace_back(item->down, level + 1);
    }
    return lines;
}

// The outline as MuPDF reads it; a document whose outline cannot be read has none.
std::vector<OutlineLine> readOutline(PdfSession& session) {
    fz_context* ctx = session.ctx;
    fz_outline* root = nullptr;
    fz_var(root);
    fz_try(ctx) {
        root = fz_load_outline(ctx, asDocument(session));
    }
    fz_catch(ctx) {
        root = nullptr;
    }
    std::vector<OutlineLine> lines = flatten(ctx, asDocument(session), root);
    fz_drop_outline(ctx, root);
    return lines;
}

}  // namespace

bool writeOutline(PdfSession& session, const std::string& path) {
    const std::vector<OutlineLine> lines = readOutline(session);
    TemporaryOutput output;
    if (!openTemporaryOutput(path, output)) return false;
    // The heading line makes a document without an outline a file of its own, never an empty one.
    std::fprintf(output.file, "# outline of %d pages: level, page, title\n", session.pageCount);
    for (const OutlineLine& line : lines)
        std::fprintf(output.file, "%d\t%d\t%s\n", line.level, line.page, line.title.c_str());
    return commitTemporaryOutput(output);
}
