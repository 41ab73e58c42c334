// pdfinfo.exe -outline against qpdf's reading of the same documents (qpdf is its own PDF library).
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <map>

#include "tests/support/pdf_maker.h"
#include "tests/tools/tool_runner.h"

namespace {

// Just enough JSON for qpdf's answer: a value is a text (a string, a number, a word), members or items.
// qpdf escapes only control characters, which the outline file writes as blanks.
struct Json {
    std::string text;
    std::map<std::string, Json> members;
    std::vector<Json> items;
    const Json& operator[](const std::string& key) const { return members.at(key); }
};

char next(const std::string& s, std::size_t& at) {
    while (s[at] && std::strchr(" \t\r\n,:", s[at])) ++at;
    return s[at];
}

Json readJson(const std::string& s, std::size_t& at) {
    Json json;
    const char open = next(s, at);
    if (open == '{' || open == '[') {
        for (++at; next(s, at) != (open == '{' ? '}' : ']') && at < s.size();) {
            const Json value = readJson(s, at);
            if (open == '[') json.items.push_back(value);
            if (open == '{') json.members[value.text] = readJson(s, at);
        }
        ++at;
    } else if (open == '"') {
        for (++at; s[at] != '"'; ++at) {
            const bool escaped = s[at] == '\\' && ++at;
            json.text += escaped && std::isalpha(static_cast<unsigned char>(s[at])) ? ' ' : s[at];
            if (escaped && s[at] == 'u') at += 4;
        }
        ++at;
    } else {
        while (!std::strchr(",}] \n", s[at])) json.text += s[at++];
    }
    return json;
}

// qpdf's outline as the outline file lists it: the page from qpdf's own page position, or else from
// the destination's page object.
void flatten(const Json& items, int level, const std::vector<std::string>& pages, std::string& out) {
    for (const Json& item : items.items) {
        std::string page = item["destpageposfrom1"].text;
        const Json& dest = item["dest"].members.count("/D") ? item["dest"]["/D"] : item["dest"];
        const auto found =
            std::find(pages.begin(), pages.end(), dest.items.empty() ? "" : dest.items[0].text);
        if (page == "null") page = found == pages.end() ? "0" : std::to_string(found - pages.begin() + 1);
        out += std::to_string(level) + "\t" + page + "\t" + item["title"].text + "\n";
        flatten(item["kids"], level + 1, pages, out);
    }
}

std::string independentOutline(const std::string& pdf) {
    const std::string json =
        runCommand({"/usr/bin/qpdf", "--json", "--json-key=outlines", "--json-key=pages", pdf})
            .standardOutput;
    std::string out;
    std::size_t at = 0;
    const Json root = readJson(json, at);
    std::vector<std::string> pages;
    for (const Json& page : root["pages"].items) pages.push_back(page["object"].text);
    flatten(root["outlines"], 1, pages, out);
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
                             std::string name = info.param.path.substr(info.param.path.find_last_of('/') + 1);
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
