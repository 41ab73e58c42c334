// pdfinfo.exe -outline: the outline file against qpdf's reading of the same documents (qpdf is its
// own PDF library), and the properties unchanged by it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>

#include "tests/support/pdf_maker.h"
#include "tests/tools/tool_runner.h"

namespace {

// Just enough JSON for qpdf's answer: a value is a text (a string, a number, a word), members or items.
// qpdf escapes only control characters, which the outline file writes as blanks.
struct Json {
    std::string text;
    std::map<std::string, Json> members;
    std::vector<Json> items;
};

Json readJson(const std::string& s, std::size_t& at) {
    Json json;
    while (std::isspace(static_cast<unsigned char>(s[at]))) ++at;
    const char open = s[at];
    if (open == '{' || open == '[') {
        for (++at; s[at] != (open == '{' ? '}' : ']');) {
            if (s[at] == ',' || std::isspace(static_cast<unsigned char>(s[at]))) {
                ++at;
            } else if (open == '[') {
                json.items.push_back(readJson(s, at));
            } else {
                const std::string key = readJson(s, at).text;
                json.members[key] = readJson(s, ++at);  // past the ':'
            }
        }
        ++at;
    } else if (open == '"') {
        for (++at; s[at] != '"'; ++at) {
            if (s[at] != '\\') {
                json.text += s[at];
                continue;
            }
            const char escaped = s[++at];
            if (escaped == 'u') at += 4;
            json.text += std::isalpha(static_cast<unsigned char>(escaped)) ? ' ' : escaped;
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
        std::string page = item.members.at("destpageposfrom1").text;
        const Json& dest = item.members.at("dest").members.count("/D")
                               ? item.members.at("dest").members.at("/D")
                               : item.members.at("dest");
        if (page == "null") {
            const std::string object = dest.items.empty() ? "" : dest.items[0].text;
            const auto found = std::find(pages.begin(), pages.end(), object);
            page = found == pages.end() ? "0" : std::to_string(found - pages.begin() + 1);
        }
        out += std::to_string(level) + "\t" + page + "\t" + item.members.at("title").text + "\n";
        flatten(item.members.at("kids"), level + 1, pages, out);
    }
}

std::string independentOutline(const std::string& pdf) {
    std::string json;
    const std::string command = "qpdf --json --json-key=outlines --json-key=pages '" + pdf + "'";
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
    char block[65536];
    while (pipe && std::fgets(block, sizeof block, pipe.get())) json += block;
    std::size_t at = 0;
    const Json root = readJson(json, at);
    std::vector<std::string> pages;
    for (const Json& page : root.members.at("pages").items) pages.push_back(page.members.at("object").text);
    std::string out;
    flatten(root.members.at("outlines"), 1, pages, out);
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

// Named by the document's file name, its letters and digits.
std::string documentName(const ::testing::TestParamInfo<CorpusDocument>& info) {
    std::string name = info.param.path.substr(info.param.path.find_last_of('/') + 1);
    for (char& c : name) c = std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
    return name;
}

INSTANTIATE_TEST_SUITE_P(Corpus, OutlineOfCorpus, ::testing::ValuesIn(corpusDocuments()), documentName);

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
