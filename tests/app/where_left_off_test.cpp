// Where the reader left off, without the tool programs: the recent documents, Back, LastRead.txt's pace.
#include <filesystem>

#include "document/document.h"
#include "document/reading_place.h"
#include "document/recent.h"
#include "media/input/input.h"
#include "tests/support/pdf_maker.h"
#include "tests/view/view_fixture.h"
#include "view/jumps.h"
#include "view/kept_page.h"
#include "view/list_panels.h"

namespace {

namespace fs = std::filesystem;
using namespace viewtest;

// A document whose cache folder holds all an opening needs, read `age` seconds ago at its kept page.
std::string cachedDocument(const std::string& root, const std::string& name, int pages, int kept, int age) {
    static const std::string documents = makeTemporaryFolder("recent-documents");
    const std::string path = documents + name;
    EXPECT_TRUE(makeNumberedPdf(path, pages));
    const std::string folder = root + cacheFolderName(path, media::fileModificationTime(path)) + "/";
    media::createFolder(folder, true);
    media::writeWholeFile(folder + "Information.ini", "Pages: " + std::to_string(pages) + "\n");
    for (int page = 1; page <= pages && media::spriteExists(sprite::pointer); ++page)
        EXPECT_TRUE(writePageFile(folder, page, 62, 88, true));
    EXPECT_TRUE(writeReadingPlace(folder, {kept, path}));
    fs::last_write_time(folder + lastReadFileName,
                        fs::file_time_type::clock::now() - std::chrono::seconds(age));
    return path;
}

using RecentList = ByPointer<ViewerWithPages>;

int rowMiddle(const Layout& layout, int listTop, int row) {
    return listTop + titleBandHeight(layout) + (2 * row + 1) * listRowHeight(layout) / 2;
}

}  // namespace

// Newest first, eight at most, one per document, none whose file is gone, each with its count and page.
TEST(RecentDocuments, NewestFirstWithoutMissingFilesOrRepeats) {
    const std::string root = makeTemporaryFolder("recent-root");
    std::vector<std::string> paths(11);
    for (int age = 10; age >= 1; --age)
        paths[age] = cachedDocument(root, "doc" + std::to_string(age) + ".pdf", 3, age, age * 60);
    fs::remove(cachedDocument(root, "gone.pdf", 3, 1, 0));
    media::createFolder(root + "other_copy/", false);  // the same document's folder, read lately
    writeReadingPlace(root + "other_copy/", {5, paths[1]});
    const std::vector<RecentDocument> recent = findRecentDocuments(root, recentDocumentsListed);
    ASSERT_EQ(recent.size(), 8u);
    for (int i = 0; i < 8; ++i) {
        EXPECT_EQ(documentFileName(recent[i].path), "doc" + std::to_string(i + 1) + ".pdf");
        EXPECT_EQ(recent[i].keptPage, i == 0 ? 5 : i + 1);  // the newest reading of doc1 stands for it
        EXPECT_EQ(recent[i].pageCount, i == 0 ? 0 : 3);
    }
}

// The welcome screen lists the recent documents under the logo; a tap opens one at its kept page. Once
// a document is open the same list is a panel behind the information panel's "Recent documents".
TEST_P(RecentList, ATapOpensTheDocumentAtItsKeptPage) {
    harness = std::make_unique<Harness>(withPointer(pointer, HarnessOptions{.withTools = false}));
    const Layout& layout = v().layout;
    cachedDocument(layout.cacheRoot, "first.pdf", 4, 2, 30);
    cachedDocument(layout.cacheRoot, "second.pdf", 5, 3, 60);
    frames(3);
    ASSERT_EQ(v().recent.documents.size(), 2u);
    const int welcomeTop = layout.screenHeight / 2 + media::spriteHeight(sprite::logo) + listPadding(layout);
    harness->clickAt(layout.screenWidth / 2, rowMiddle(layout, welcomeTop, 0));
    EXPECT_EQ(documentFileName(v().document.documentPath), "first.pdf");
    EXPECT_EQ(v().view.currentPage, 2);
    EXPECT_FALSE(v().frame.welcomeShown);
    harness->clickAt(layout.infoButtonX + 5, layout.mediumFontSize + 5);  // Info
    ASSERT_TRUE(v().frame.infoPanelOpen);
    const int buttonsY = media::spriteHeight(sprite::toolbar) + media::spriteHeight(sprite::infoPanel) +
                         listPadding(layout) + listRowHeight(layout) / 2;
    harness->clickAt(layout.screenWidth / 2 + media::spriteWidth(sprite::infoButtons) / 2 - 10, buttonsY);
    ASSERT_TRUE(v().frame.recentPanelOpen);
    EXPECT_EQ(documentFileName(v().recent.documents[0].path), "first.pdf");  // read just now
    harness->clickAt(layout.screenWidth / 2, rowMiddle(layout, listPanelBox(v()).y, 1));
    EXPECT_EQ(documentFileName(v().document.documentPath), "second.pdf");
    EXPECT_EQ(v().view.currentPage, 3);
    EXPECT_FALSE(v().frame.recentPanelOpen);
}

// Home and End are jumps; Alt+Left and the mouse's back button go back the way they came, the hit
// list's Back by touch too.
TEST_P(RecentList, BackRetracesTheJumps) {
    open(40, 124, 175);
    harness->tapKey(media::scan::end);
    harness->tapKey(media::scan::home);
    harness->pressKeys({media::scan::leftAlt, media::scan::left});
    EXPECT_EQ(v().view.currentPage, 40);
    media::feedMouseBackButton();
    frames(1);
    EXPECT_EQ(v().view.currentPage, 1);
    EXPECT_FALSE(canGoBack(v()));
    // Nothing left to go back to: Left with Alt turns no page either.
    harness->pressKeys({media::scan::leftAlt, media::scan::left});
    EXPECT_EQ(v().view.currentPage, 1);
    rememberJump(v(), 7);
    v().frame.searchPanelOpen = true;
    v().search.searchHits = {SearchHit{"word", "9", 9, 0}};
    frames(1);
    const int f = v().layout.largeFontSize;  // the hit list's Back: a font's width in from its right
    harness->clickAt(
        v().layout.screenWidth / 2 + media::spriteWidth(sprite::searchList) / 2 - f,
        media::spriteHeight(sprite::toolbar) + media::spriteHeight(sprite::searchHeader) + 3 * f / 2);
    EXPECT_EQ(v().view.currentPage, 7);
}

INSTANTIATE_TEST_SUITE_P(Pointer, RecentList, pointerStyles, pointerStyleName);

// The stack keeps the latest pages left, the oldest falling off, and gives them back latest first.
TEST_F(ViewerWithPages, BackStackKeepsTheLatestTenPages) {
    open(20, 124, 175);
    for (int page = 2; page <= 13; ++page) rememberJump(v(), page);
    rememberJump(v(), 13);  // the same page twice in a row counts once
    std::vector<int> back;
    while (goBack(v())) back.push_back(v().view.currentPage);
    EXPECT_EQ(back, (std::vector<int>{13, 12, 11, 10, 9, 8, 7, 6, 5, 4}));
}

// LastRead.txt follows the page at most once a second; the exit (or the next opening) writes at once.
TEST_F(ViewerWithPages, KeptPageIsWrittenAtMostOnceASecond) {
    open(6, 124, 175);
    v().document.documentPath = "/documents/kept.pdf";
    beginKeepingPlace(v(), 1);
    // A turn (-1) or a pause of so many milliseconds, and the page the file holds after it.
    const std::pair<int, int> steps[] = {{0, 1},  {-1, 1},  {1000, 2}, {-1, 2},
                                         {-1, 2}, {500, 2}, {500, 4},  {-1, 4}};
    for (const auto& [step, page] : steps) {
        if (step < 0) harness->tapKey(media::scan::pageDown);
        if (step >= 0) frames(1, step);
        EXPECT_EQ(readReadingPlace(folder).page, page);
    }
    writePlaceNow(v());
    EXPECT_EQ(readReadingPlace(folder).path, "/documents/kept.pdf");
    EXPECT_EQ(readReadingPlace(folder).page, 5);
}
