// pdftotext.exe: one form feed per page, the words on their pages, no stray control characters.
#include <gtest/gtest.h>

#include <algorithm>

#include "tests/support/pdf_maker.h"
#include "tests/tools/tool_runner.h"

namespace {

std::vector<std::string> splitPages(const std::string& text) {
    std::vector<std::string> pages;
    std::size_t start = 0;
    for (std::size_t feed = text.find('\f'); feed != std::string::npos; feed = text.find('\f', start)) {
        pages.push_back(text.substr(start, feed - start));
        start = feed + 1;
    }
    if (start < text.size()) pages.push_back(text.substr(start));  // text after the last form feed
    return pages;
}

bool hasStrayControls(const std::string& text) {
    return std::any_of(text.begin(), text.end(), [](char c) {
        auto byte = static_cast<unsigned char>(c);
        return byte < 0x20 && c != '\n' && c != '\r' && c != '\t' && c != '\f';
    });
}

std::string extract(const ScratchFolder& folder, const std::string& pdf) {
    ToolRun run = runTool("pdftotext.exe", {"-q", pdf, folder.path("Text Data.txt")});
    EXPECT_EQ(run.exitCode, 0) << run.standardError;
    return readWholeFile(folder.path("Text Data.txt"));
}

}  // namespace

TEST(PdfToText, PutsEachPagesWordsBeforeItsOwnFormFeed) {
    ScratchFolder folder;
    ASSERT_TRUE(makeNumberedPdf(folder.path("numbered.pdf"), 12));
    std::string text = extract(folder, folder.path("numbered.pdf"));
    ASSERT_EQ(std::count(text.begin(), text.end(), '\f'), 12);
    ASSERT_EQ(text.back(), '\f');
    std::vector<std::string> pages = splitPages(text);
    ASSERT_EQ(pages.size(), 12u);
    for (int k = 1; k <= 12; ++k) {
        const std::string& page = pages[static_cast<std::size_t>(k - 1)];
        EXPECT_NE(page.find("Page " + std::to_string(k) + "\r\n"), std::string::npos) << page;
        EXPECT_NE(page.find("word" + std::to_string(k) + "\r\n"), std::string::npos) << page;
        std::string next = "word" + std::to_string(k + 1);
        EXPECT_EQ(page.find(next), std::string::npos) << "page " << k << " holds " << next;
    }
    EXPECT_EQ(folder.fileNames(), (std::vector<std::string>{"Text Data.txt", "numbered.pdf"}));
}

TEST(PdfToText, KeepsEmptyPagesAndOddSizesInStep) {
    ScratchFolder folder;
    std::vector<TestPage> pages(4);
    pages[0].lines = {"alpha"};
    pages[1].widthPoints = 209.764;  // A7, nearly empty
    pages[1].heightPoints = 297.638;
    pages[2].widthPoints = 841.89;  // landscape
    pages[2].heightPoints = 595.276;
    pages[2].lines = {"gamma", "délta ünïcode"};
    pages[3].lines = {"omega"};
    ASSERT_TRUE(makeTestPdf(folder.path("mixed.pdf"), pages));
    std::vector<std::string> texts = splitPages(extract(folder, folder.path("mixed.pdf")));
    ASSERT_EQ(texts.size(), 4u);
    EXPECT_NE(texts[0].find("alpha"), std::string::npos);
    EXPECT_EQ(texts[1].find_first_not_of("\r\n "), std::string::npos) << texts[1];
    EXPECT_NE(texts[2].find("délta ünïcode"), std::string::npos) << texts[2];
    EXPECT_NE(texts[3].find("omega"), std::string::npos);
}

TEST(PdfToText, WritesOneFormFeedPerPageForEveryCorpusDocument) {
    for (const CorpusDocument& document : corpusDocuments()) {
        ScratchFolder folder;
        ToolRun run = runTool("pdftotext.exe", {"-q", document.path, folder.path("out.txt")}, 60);
        ASSERT_EQ(run.exitCode, 0) << document.path << ": " << run.standardError;
        std::string text = readWholeFile(folder.path("out.txt"));
        EXPECT_EQ(std::count(text.begin(), text.end(), '\f'), document.pages) << document.path;
        EXPECT_FALSE(hasStrayControls(text)) << document.path;
        EXPECT_GT(text.size(), static_cast<std::size_t>(document.pages) * 20) << document.path;
    }
}

TEST(PdfToText, FindsKnownWordsInTheManual) {
    ScratchFolder folder;
    std::string text = extract(folder, std::string(PAGEWELL_CORPUS_DIR) + "manual-gnuplot.pdf");
    std::vector<std::string> pages = splitPages(text);
    ASSERT_EQ(pages.size(), 311u);
    EXPECT_NE(pages[0].find("gnuplot"), std::string::npos);
    EXPECT_NE(pages[6].find("Continue"), std::string::npos);  // page 7: the contents go on with Continue
}
