// Documents the tools cannot read, or read only with trouble, and file names a shell would misread:
// the viewer keeps running, frames keep coming, and what it shows matches what the tools could do.
#include <gtest/gtest.h>

#include <filesystem>
#include <tuple>

#include "app/opening.h"
#include "context/viewer.h"
#include "document/conversion.h"
#include "document/document.h"
#include "media/display/display.h"
#include "media/system/system.h"
#include "tests/e2e/e2e_fixture.h"

namespace {

namespace fs = std::filesystem;

using BadDocumentTest = E2eTest;

// The opening ends with the message and nothing converting; later frames start nothing.
void expectReportedUnreadable(Harness& harness, const std::string& path,
                              const std::string& message = "This document cannot be read.") {
    Viewer& v = harness.v();
    EXPECT_EQ(v.document.documentPath, path);
    EXPECT_EQ(std::tuple(v.document.documentUnreadable, v.frame.messagePanelShown, v.frame.messagePanelText),
              std::tuple(true, true, message));
    EXPECT_EQ(std::tuple(v.document.pageCount, v.document.pageCountShown, v.conversion.conversionRunning),
              std::tuple(0, 1, false));
    harness.frames(30);
    EXPECT_FALSE(harness.ended());
    EXPECT_EQ(v.conversion.pageQueue.startCount(), 0);
    EXPECT_FALSE(v.conversion.thumbnailGenerationActive);
    for (const std::string& name : filesIn(v.document.documentCacheFolder))
        EXPECT_FALSE(name.starts_with("page-")) << name;
}

// No conversion, thumbnail work or page-file worker runs.
bool workStopped(const Viewer& v) {
    const ConversionState& c = v.conversion;
    return !c.conversionRunning && !c.thumbnailGenerationActive && !c.workerRunning;
}

// The first page shows, page 1's JPEG is written, and the text holds the page's words.
void expectOnePageShown(E2eTest& test, const std::string& word) {
    Viewer& v = test.v();
    ASSERT_TRUE(test.within(60.0, [&] { return v.view.firstPageShown; }));
    EXPECT_TRUE(media::spriteExists(sprite::page));
    EXPECT_TRUE(media::filePresent(test.cacheFile("page-000001.jpg")));
    EXPECT_FALSE(v.document.documentUnreadable);
    ASSERT_TRUE(test.within(30.0, [&] { return !v.text.pageTexts.empty(); }));
    EXPECT_NE(v.text.pageTexts[0].text.find(word), std::string::npos) << v.text.pageTexts[0].text;
}

}  // namespace

TEST_F(BadDocumentTest, TruncatedPdfIsRepairedOrReportedNeverHalfConverted) {
    const std::string whole = readFile(numberedPdf(6, "whole.pdf"));
    const std::string path = writtenPdf("truncated.pdf", whole.substr(0, whole.size() * 2 / 5));
    harness.open(path);
    if (v().document.documentUnreadable) {
        expectReportedUnreadable(harness, path);
        return;
    }
    // The tools repaired what they could: the conversion ends, whatever pages it could not render.
    EXPECT_GE(v().document.pageCount, 1);
    EXPECT_TRUE(within(60.0, [&] {
        return !v().conversion.conversionRunning && !v().conversion.thumbnailGenerationActive;
    }));
    EXPECT_FALSE(v().conversion.workerRunning);
    EXPECT_FALSE(harness.ended());
}

// No password opens this lock: every guess is refused, and giving up says why the document stays shut.
TEST_F(BadDocumentTest, UserPasswordPdfAsksForThePasswordAndGivingUpSaysSo) {
    const std::string path = writtenPdf("locked.pdf", unopenableLockedPdf());
    harness.open(path);
    EXPECT_TRUE(v().password.passwordPanelOpen);
    typeAndReturn("guess");
    EXPECT_TRUE(v().password.wrongPassword && v().password.passwordPanelOpen);
    abandonLockedDocument(v());
    expectReportedUnreadable(harness, path, "This document needs its password to be opened.");
}

TEST_F(BadDocumentTest, PdfWithoutPagesShowsTheCannotBeReadMessage) {
    const std::string path = writtenPdf("pageless.pdf", pagelessPdf());
    harness.open(path);
    expectReportedUnreadable(harness, path);
}

// An owner password only restricts what may be done with the document; it opens like any other.
TEST_F(BadDocumentTest, OwnerPasswordOnlyPdfOpensAndConverts) {
    const std::string path = lockedPdf("restricted.pdf", PdfLock::rc4With40Bits, "", "owner only", 1);
    harness.open(path);
    EXPECT_FALSE(v().document.documentUnreadable);
    EXPECT_EQ(v().document.pageCount, 1);
    expectOnePageShown(*this, "word1");
}

// An empty file and a text file named .pdf are refused before anything is made for them.
TEST_F(BadDocumentTest, EmptyFileAndTextFileLeaveTheOpenDocumentAlone) {
    const std::string real = numberedPdf(1, "real.pdf");
    harness.open(real);
    expectOnePageShown(*this, "word1");
    const std::string folder = v().document.documentCacheFolder;
    const auto cachesBefore = filesIn(v().layout.cacheRoot);
    harness.open(writtenPdf("empty.pdf", ""));
    harness.open(writtenPdf("notes.pdf", "Shopping list\nmilk\n"));
    harness.frames(20);
    EXPECT_EQ(v().document.documentPath, real);
    EXPECT_EQ(v().document.documentCacheFolder, folder);
    EXPECT_FALSE(v().document.documentUnreadable);
    EXPECT_TRUE(media::spriteExists(sprite::page));
    EXPECT_EQ(filesIn(v().layout.cacheRoot), cachesBefore);
}

// Rendered at 120 dots per inch a 200-inch page would be 24,000 pixels a side: the converter scales
// it down, the viewer shows it and writes its JPEG.
TEST_F(BadDocumentTest, HugePageIsConvertedAndShown) {
    harness.open(writtenPdf("huge page.pdf", onePagePdf("[0 0 14400 14400]")));
    EXPECT_EQ(v().document.pageWidthText, "14400");
    expectOnePageShown(*this, "Hello");
    EXPECT_GT(media::spriteWidth(sprite::page), 0);
    EXPECT_LE(media::spriteWidth(sprite::page), v().layout.screenWidth);
}

TEST_F(BadDocumentTest, OnePointPageIsConvertedAndShown) {
    harness.open(writtenPdf("tiny page.pdf", onePagePdf("[0 0 1 1]")));
    EXPECT_EQ(v().document.renderDpi, 600.0f);
    ASSERT_TRUE(within(30.0, [&] { return v().view.firstPageShown; }));
    EXPECT_TRUE(media::filePresent(cacheFile("page-000001.jpg")));
    EXPECT_GT(media::spriteWidth(sprite::page), 0);
    harness.frames(10);
    EXPECT_FALSE(harness.ended());
}

// Every command line is an argument vector: quotes, $, backquotes and a newline stay part of the
// name, a leading dash is never taken for an option, and no command hidden in a name ever runs.
TEST_F(BadDocumentTest, OddFileNamesAreConvertedEndToEnd) {
    const std::string marker = "INJECTED";
    const std::vector<std::string> names = {"with  spaces .pdf",
                                            "quotes \"double\" and 'single'.pdf",
                                            "dollar $(touch " + marker + ") $HOME.pdf",
                                            "back `touch " + marker + "` quote.pdf",
                                            "new\nline.pdf",
                                            "Ünïcödé ßtraße 文書.pdf",
                                            "-dash.pdf"};
    const std::string source = numberedPdf(2, "source.pdf");
    int converted = 0;
    for (const std::string& name : names) {
        SCOPED_TRACE(name);
        const std::string path = documents + name;
        fs::copy_file(source, path);
        harness.open(path);
        EXPECT_EQ(v().document.documentPath, path);
        EXPECT_EQ(v().document.pageCount, 2);
        if (!convert(2)) {
            ADD_FAILURE() << "conversion did not finish";
            continue;
        }
        EXPECT_TRUE(v().sheet.sheetReady);
        ASSERT_TRUE(within(30.0, [&] { return v().text.pageTexts.size() == 2; }));
        EXPECT_NE(v().text.pageTexts[1].text.find("word2"), std::string::npos);
        ++converted;
    }
    EXPECT_EQ(converted, static_cast<int>(names.size()));
    for (const std::string& folder : {documents, harness.programFolder(), v().tools.toolFolder,
                                      v().layout.cacheRoot, media::currentFolder()})
        EXPECT_FALSE(fs::exists(folder + marker)) << folder;
}

// The converters fail for the pages still to come; the work ends instead of waiting for them, and
// the cache is not taken as complete afterwards.
TEST_F(BadDocumentTest, DocumentDeletedWhileConvertingEndsTheWork) {
    const std::string path = numberedPdf(8, "vanishing.pdf");
    harness.open(path);
    ASSERT_TRUE(within(30.0, [&] { return v().conversion.pageQueue.startCount() >= 2; }));
    fs::remove(path);
    ASSERT_TRUE(within(60.0, [&] { return workStopped(v()); }));
    EXPECT_TRUE(v().view.firstPageShown);
    EXPECT_TRUE(media::filePresent(cacheFile("page-000001.jpg")));
    EXPECT_FALSE(media::filePresent(cacheFile("page-000008.jpg")));
    EXPECT_TRUE(pageImageFile(v(), 8).empty()) << "a missing page is reported, not shown from nothing";
    harness.frames(20);
    EXPECT_FALSE(harness.ended());
}

// The file is replaced by a shorter document: the pages beyond it never come, the work ends, and
// opening the new file converts it, never taking the mixed folder as complete.
TEST_F(BadDocumentTest, DocumentReplacedWhileConvertingIsConvertedAfreshWhenOpenedAgain) {
    const std::string path = numberedPdf(8, "replaced.pdf");
    const std::string shorter = numberedPdf(3, "shorter.pdf");
    harness.open(path);
    ASSERT_TRUE(within(30.0, [&] { return v().conversion.pageQueue.startCount() >= 2; }));
    fs::rename(shorter, path);
    ASSERT_TRUE(within(60.0, [&] { return workStopped(v()); }));
    harness.open(path);
    EXPECT_FALSE(v().document.documentIsCached);
    EXPECT_EQ(v().document.pageCount, 3);
    ASSERT_TRUE(convert(3));
    EXPECT_FALSE(media::filePresent(cacheFile("page-000004.jpg")));
    harness.open(path);
    EXPECT_TRUE(v().document.documentIsCached);
}
