// pdfinfo.exe -outline: the outline file against qpdf's reading of the same documents (qpdf is its
// own PDF library), and the properties unchanged by it.
#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <sstream>

#include "tests/support/pdf_maker.h"
#include "tests/tools/tool_runner.h"

namespace {

// Just enough JSON for qpdf's answer: objects, arrays, strings, numbers and the three words.
struct Json {
    std::string text;  // a string's text, or a number's or a word's spelling
    std::vector<std::pair<std::string, Json>> members;
    std::vector<Json> items;
    const Json* member(const std::string& name) const {
        for (const auto& [key, value] : members) {
            if (key == name) return &value;
        }
        return nullptr;
    }
};

class JsonReader {
public:
    explicit JsonReader(const std::string& text) : text_(text) {}
    Json value() {
        Json json;
        skipBlanks();
        const char c = at_ < text_.size() ? text_[at_] : '\0';
        if (c == '{' || c == '[') {
            ++at_;
            for (skipBlanks(); at_ < text_.size() && text_[at_] != (c == '{' ? '}' : ']'); skipBlanks()) {
                if (text_[at_] == ',') ++at_;
                if (c == '[') json.items.push_back(value());
                if (c == '{') {
                    std::string key = name();  // before the value: arguments have no order
                    json.members.emplace_back(std::move(key), value());
                }
            }
            ++at_;
        } else if (c == '"') {
            json.text = string();
        } else {
            while (at_ < text_.size() && std::string(",}] \n").find(text_[at_]) == std::string::npos)
                json.text += text_[at_++];
        }
        return json;
    }

private:
    void skipBlanks() {
        while (at_ < text_.size() && std::isspace(static_cast<unsigned char>(text_[at_]))) ++at_;
    }
    std::string name() {
        skipBlanks();
        std::string key = string();
        skipBlanks();
        ++at_;  // ':'
        return key;
    }
    std::string string() {
        std::string out;
        for (++at_; at_ < text_.size() && text_[at_] != '"'; ++at_) {
            if (text_[at_] != '\\') {
                out += text_[at_];
            } else if (text_[++at_] == 'u') {
                appendUtf8(out, static_cast<unsigned>(std::stoul(text_.substr(at_ + 1, 4), nullptr, 16)));
                at_ += 4;
            } else {
                const std::string escapes = "b\bf\fn\nr\rt\t";
                const std::size_t known = escapes.find(text_[at_]);
                out += known != std::string::npos && known % 2 == 0 ? escapes[known + 1] : text_[at_];
            }
        }
        ++at_;
        return out;
    }
    static void appendUtf8(std::string& out, unsigned code) {  // qpdf escapes control characters only
        out += static_cast<char>(code < 0x80 ? code : '?');
    }
    const std::string& text_;
    std::size_t at_ = 0;
};

std::string qpdfJson(const std::string& pdf) {
    std::string output;
    const std::string command = "qpdf --json --json-key=outlines --json-key=pages '" + pdf + "'";
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
    char block[65536];
    while (pipe && std::fgets(block, sizeof block, pipe.get())) output += block;
    return output;
}

// qpdf's outline as our file writes it: tabs and other control characters of a title as blanks, the
// page from qpdf's own page position or else from the destination's page object.
void flatten(const Json& items, int level, const std::vector<std::string>& pages, std::string& out) {
    for (const Json& item : items.items) {
        std::string page = item.member("destpageposfrom1")->text;
        const Json* dest = item.member("dest");
        if (dest && dest->member("/D")) dest = dest->member("/D");
        if (page == "null" && dest && !dest->items.empty()) {
            const auto found = std::find(pages.begin(), pages.end(), dest->items[0].text);
            page = found == pages.end() ? "0" : std::to_string(found - pages.begin() + 1);
        }
        std::string title = item.member("title")->text;
        for (char& c : title) c = static_cast<unsigned char>(c) < 0x20 ? ' ' : c;
        out += std::to_string(level) + "\t" + page + "\t" + title + "\n";
        flatten(*item.member("kids"), level + 1, pages, out);
    }
}

std::string independentOutline(const std::string& pdf) {
    const std::string json = qpdfJson(pdf);
    const Json root = JsonReader(json).value();
    std::vector<std::string> pages;
    for (const Json& page : root.member("pages")->items) pages.push_back(page.member("object")->text);
    std::string out;
    flatten(*root.member("outlines"), 1, pages, out);
    return out;
}

// The outline file without its heading line.
std::string outlineEntries(const std::string& file) {
    const std::string text = readWholeFile(file);
    EXPECT_EQ(text.rfind("# outline of ", 0), 0u) << text.substr(0, 80);
    return text.substr(std::min(text.find('\n') + 1, text.size()));
}

class OutlineOfCorpus : public ::testing::TestWithParam<CorpusDocument> {};

}  // namespace

// The properties stay exactly what they were; the entries are those qpdf reads, in its order.
TEST_P(OutlineOfCorpus, ListsTheEntriesAnIndependentReaderFinds) {
    ScratchFolder folder;
    const std::string pdf = GetParam().path, outline = folder.path("Outline.txt");
    const ToolRun plain = runTool("pdfinfo.exe", {pdf});
    const ToolRun withOutline = runTool("pdfinfo.exe", {"-outline", outline, pdf});
    ASSERT_EQ(withOutline.exitCode, 0) << withOutline.standardError;
    EXPECT_EQ(withOutline.standardOutput, plain.standardOutput);
    EXPECT_EQ(outlineEntries(outline), independentOutline(pdf));
}

INSTANTIATE_TEST_SUITE_P(Corpus, OutlineOfCorpus, ::testing::ValuesIn(corpusDocuments()),
                         [](const auto& info) {
                             std::string name = info.param.path.substr(info.param.path.rfind('/') + 1);
                             name = name.substr(0, name.find('.'));
                             for (char& c : name) c = std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
                             return name;
                         });

// Titles in any script arrive as UTF-8, a line break inside one as a blank; a deep level stays deep.
TEST(PdfInfoOutline, KeepsTitlesInEveryScriptAndTheLevels) {
    ScratchFolder folder;
    const std::string pdf = folder.path("scripts.pdf"), outline = folder.path("Outline.txt");
    const std::vector<TestOutlineEntry> entries = {
        {"Einführung", 1, 1}, {"שלום עולם", 2, 2}, {"目次と索引", 3, 2}, {"two\nlines", 1, 3}};
    ASSERT_TRUE(makeTestPdf(pdf, std::vector<TestPage>(3), entries));
    ASSERT_EQ(runTool("pdfinfo.exe", {"-outline", outline, pdf}).exitCode, 0);
    EXPECT_EQ(outlineEntries(outline),
              "1\t1\tEinführung\n2\t2\tשלום עולם\n3\t2\t目次と索引\n1\t3\ttwo lines\n");
    EXPECT_EQ(independentOutline(pdf), outlineEntries(outline));
}
