// Documents locked by a password, in the whole viewer with the real tools: the password panel, typing
// on both keyboards, wrong passwords, Cancel, the opening that follows the right password, and a
// cache that only its user can read and that never holds the password.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <set>
#include <thread>

#include "context/viewer.h"
#include "document/document.h"
#include "media/display/display.h"
#include "media/input/input.h"
#include "media/pictures/pictures.h"
#include "tests/e2e/e2e_fixture.h"
#include "text/search.h"

namespace {

namespace fs = std::filesystem;

const std::string password = "Kq7 secret";
const media::Colour openGreen = media::rgb(100, 200, 100);
const media::Colour cancelGrey = media::rgb(200, 200, 200);
const media::Colour warningYellow = media::rgb(255, 255, 0);

int modeOf(const std::string& path) {
    struct stat status {};
    return ::stat(path.c_str(), &status) == 0 ? static_cast<int>(status.st_mode & 0777) : -1;
}

// The folder and page 1's JPEG are made as any document's are, as the umask lets them.
void expectSharedCache(const std::string& folder) {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    EXPECT_EQ(modeOf(folder), 0777 & ~static_cast<int>(mask));
    EXPECT_EQ(modeOf(folder + "page-000001.jpg"), 0666 & ~static_cast<int>(mask));
}

struct Spot {
    int x = -1, y = -1, count = 0;
};

// Where a colour shows in the band of the last presented frame that holds the panels: the centre of
// its pixels and how many there are.
Spot find(Harness& h, media::Colour colour, int top = 0, int bottom = 400) {
    long long sumX = 0, sumY = 0;
    Spot spot;
    for (int y = top; y < bottom; ++y)
        for (int x = 0; x < h.v().layout.screenWidth; ++x)
            if (h.pixel(x, y) == colour) sumX += x, sumY += y, ++spot.count;
    if (spot.count > 0)
        spot = {static_cast<int>(sumX / spot.count), static_cast<int>(sumY / spot.count), spot.count};
    return spot;
}

// Watches the command lines of the tool programs, as any user of the machine can read them, from a
// thread of its own while frames run: a tool working on a small page lives for less than a frame or two.
class CommandLineWatch {
public:
    ~CommandLineWatch() { stop(); }
    const std::vector<std::string>& stop() {
        stop_ = true;
        if (thread_.joinable()) thread_.join();
        return lines_;
    }

private:
    void collect() {
        static const std::set<std::string> tools = {"pdfinfo.exe\n", "pdftotext.exe\n", "pdftopng.exe\n",
                                                    "pdfregion.exe\n"};
        std::error_code error;
        for (const auto& entry : fs::directory_iterator("/proc", error)) {
            const std::string pid = entry.path().filename().string();
            if (pid.find_first_not_of("0123456789") != std::string::npos ||
                tools.count(readFile("/proc/" + pid + "/comm")) == 0)
                continue;
            std::string line = readFile("/proc/" + pid + "/cmdline");
            std::replace(line.begin(), line.end(), '\0', ' ');
            if (!line.empty()) lines_.push_back(line);
        }
    }
    std::atomic<bool> stop_{false};
    std::vector<std::string> lines_;
    std::thread thread_{[this] {
        for (; !stop_; std::this_thread::sleep_for(std::chrono::milliseconds(1))) collect();
    }};
};

// Every file under the folder (links not followed), searched for the password's bytes.
std::vector<std::string> filesHolding(const std::string& folder, const std::string& secret) {
    std::vector<std::string> holding;
    std::error_code error;
    for (const auto& entry : fs::recursive_directory_iterator(folder, error))
        if (entry.is_regular_file() && readFile(entry.path()).find(secret) != std::string::npos)
            holding.push_back(entry.path());
    return holding;
}

void expectWaitingForPassword(Viewer& v) {
    EXPECT_TRUE(v.password.passwordPanelOpen);
    EXPECT_TRUE(v.document.documentNeedsPassword);
    EXPECT_FALSE(v.conversion.conversionRunning);
    EXPECT_EQ(v.conversion.pageQueue.startCount(), 0);
    EXPECT_FALSE(media::spriteExists(sprite::page));
    EXPECT_TRUE(v.document.infoLines.empty());  // nothing of a locked document shows before its password
    EXPECT_TRUE(v.text.pageTexts.empty());
}

void expectPrivateCache(const std::string& folder) {
    EXPECT_EQ(modeOf(folder), 0700);
    for (const std::string& name : filesIn(folder)) EXPECT_EQ(modeOf(folder + name), 0600) << name;
}

struct LockedDocumentTest : E2eTest, ::testing::WithParamInterface<PdfLock> {};

}  // namespace

TEST_P(LockedDocumentTest, OpensWithItsPasswordOnlyAsAnyOtherAndKeepsItsCachePrivate) {
    const std::string path = lockedPdf("locked.pdf", GetParam(), password, "", 3, "Vault");
    harness.open(path);
    expectWaitingForPassword(v());
    const std::string folder = v().document.documentCacheFolder;
    EXPECT_EQ(modeOf(folder), 0700);

    typeAndReturn("Kq7 Secret");
    EXPECT_TRUE(v().password.wrongPassword);
    EXPECT_TRUE(v().password.typedPassword.empty());
    expectWaitingForPassword(v());

    CommandLineWatch watch;
    typeAndReturn(password);
    EXPECT_FALSE(v().password.passwordPanelOpen);
    EXPECT_EQ(v().document.pageCount, 3);
    ASSERT_TRUE(within(90.0, [&] {
        return conversionFinished(v(), 3) && v().sheet.sheetReady && v().text.pageTexts.size() == 3;
    }));
    int ours = 0;
    for (const std::string& line : watch.stop()) {
        EXPECT_EQ(line.find("Kq7"), std::string::npos) << line;
        ours += line.find(path) != std::string::npos;
    }
    EXPECT_GT(ours, 0) << "no tool program of this test was seen running";
    EXPECT_NE(v().text.pageTexts[1].text.find("word2"), std::string::npos);
    const auto& info = v().document.infoLines;
    EXPECT_NE(std::ranges::find(info, "Title:           Vault"), info.end());
    v().search.searchWord = "WORD3";
    startSearch(v());
    ASSERT_TRUE(harness.runUntil([&] { return !v().search.searchHits.empty(); }, 100000, 5, 10.0));
    EXPECT_EQ(v().search.searchHits.front().page, 3);

    expectPrivateCache(folder);
    EXPECT_EQ(std::getenv("PAGEWELL_PASSWORD"), nullptr);
    EXPECT_EQ(filesHolding(harness.programFolder(), password), std::vector<std::string>{});
}

// The cache holds the pages, yet opening the document again asks for its password again.
TEST_P(LockedDocumentTest, OpeningItAgainFromItsCacheAsksAgain) {
    const std::string path = lockedPdf("locked.pdf", GetParam(), password, "", 2, "Vault");
    harness.open(path);
    typeAndReturn(password);
    ASSERT_TRUE(convert(2));

    harness.open(path);
    EXPECT_TRUE(v().document.documentIsCached);
    expectWaitingForPassword(v());
    typeAndReturn("guess");
    EXPECT_TRUE(v().password.wrongPassword);
    EXPECT_FALSE(media::spriteExists(sprite::page));

    typeAndReturn(password);
    EXPECT_FALSE(v().password.passwordPanelOpen);
    EXPECT_TRUE(v().view.firstPageShown);  // from the cache, at once, converting nothing
    EXPECT_TRUE(media::spriteExists(sprite::page));
    EXPECT_FALSE(v().conversion.conversionRunning);
    EXPECT_EQ(v().conversion.pageQueue.startCount(), 0);
    EXPECT_FALSE(v().document.infoLines.empty());
    EXPECT_TRUE(harness.runUntil([&] { return v().sheet.sheetReady; }, 100000, 5, 10.0));
    EXPECT_EQ(v().text.pageTexts.size(), 2u);  // read by the frame after the opening
    expectPrivateCache(v().document.documentCacheFolder);
}

// An owner password only restricts what may be done with the document: it opens without a question
// and its cache is made as any other's.
TEST_P(LockedDocumentTest, AnOwnerPasswordAloneOpensWithoutAsking) {
    const std::string path = lockedPdf("restricted.pdf", GetParam(), "", "owner only", 2);
    harness.open(path);
    EXPECT_FALSE(v().password.passwordPanelOpen);
    EXPECT_FALSE(v().document.documentNeedsPassword);
    EXPECT_EQ(v().document.pageCount, 2);
    ASSERT_TRUE(convert(2));
    expectSharedCache(v().document.documentCacheFolder);
}

INSTANTIATE_TEST_SUITE_P(Locks, LockedDocumentTest, ::testing::Values(PdfLock::rc4, PdfLock::aes256),
                         [](const auto& info) { return std::string(lockName(info.param)); });

using PasswordPanelTest = E2eTest;

// Cancel (Escape would end the program) gives the document up with a message; the password goes,
// and the next document is opened and cached as usual.
TEST_F(PasswordPanelTest, CancelGivesUpAndTheNextDocumentOpensAsUsual) {
    harness.open(lockedPdf("locked.pdf", PdfLock::aes256, password, "", 2));
    harness.type("Kq7");
    harness.frames(2);
    const Spot cancel = find(harness, cancelGrey);
    ASSERT_GT(cancel.count, 100);
    harness.clickAt(cancel.x, cancel.y);
    EXPECT_FALSE(v().password.passwordPanelOpen);
    EXPECT_TRUE(v().password.typedPassword.empty());
    EXPECT_TRUE(v().document.documentPassword.empty());
    EXPECT_TRUE(v().frame.messagePanelShown);
    EXPECT_EQ(v().frame.messagePanelText, "This document needs its password to be opened.");
    harness.frames(20);
    EXPECT_FALSE(harness.ended());
    EXPECT_EQ(v().conversion.pageQueue.startCount(), 0);

    harness.open(numberedPdf(1, "plain.pdf"));
    EXPECT_FALSE(v().document.documentNeedsPassword);
    ASSERT_TRUE(convert(1));
    expectSharedCache(v().document.documentCacheFolder);
}

// A cache folder that cannot be marked as locked (a folder planted under the marker's name) would
// let a later opening show the decrypted pages unasked: the document is not opened, and nothing of it
// is written, neither now nor at the next try.
TEST_F(PasswordPanelTest, ACacheFolderThatCannotBeMarkedLockedKeepsTheDocumentOut) {
    const std::string path = lockedPdf("locked.pdf", PdfLock::aes256, password, "", 2);
    const std::string folder =
        v().layout.cacheRoot + cacheFolderName(path, media::fileModificationTime(path)) + "/";
    fs::create_directories(folder + "PasswordRequired.txt");
    for (int attempt = 0; attempt < 2; ++attempt) {
        harness.open(path);
        EXPECT_FALSE(v().password.passwordPanelOpen);
        EXPECT_TRUE(v().document.documentUnreadable);
        EXPECT_EQ(v().frame.messagePanelText,
                  "This locked document is not opened: its cache folder cannot be kept private.");
        harness.frames(20);
        EXPECT_EQ(v().conversion.pageQueue.startCount(), 0);
        EXPECT_FALSE(media::spriteExists(sprite::page));
    }
    for (const std::string& name : filesIn(folder))
        EXPECT_TRUE(name == "PasswordRequired.txt" || name == "Information.ini") << name;
    EXPECT_EQ(media::fileSize(folder + "Information.ini"), 0);
}

// The panel as it is drawn and typed into: the on-screen keyboard types into the password (masked),
// not into the search word; Backspace and a wrong password; the on-screen Return opens.
TEST_F(PasswordPanelTest, BothKeyboardsTypeIntoTheMaskedFieldAndAWrongPasswordIsSaid) {
    const std::string path = lockedPdf("locked.pdf", PdfLock::aes256, "ab1 cd", "", 2);
    harness.open(path);
    harness.frames(2);
    const Spot open = find(harness, openGreen);
    ASSERT_GT(open.count, 100);
    const Spot emptyField = find(harness, media::rgb(0, 0, 0), open.y - 10, open.y + 10);

    harness.type("xyz");
    harness.frames(1);
    harness.pressKeys({media::scan::backspace});
    harness.frames(1);
    EXPECT_EQ(v().password.typedPassword, "xy");
    EXPECT_GT(find(harness, media::rgb(0, 0, 0), open.y - 10, open.y + 10).count, emptyField.count);
    EXPECT_EQ(find(harness, warningYellow).count, 0);
    harness.clickAt(open.x, open.y);
    harness.frames(1);
    EXPECT_TRUE(v().password.wrongPassword);
    EXPECT_GT(find(harness, warningYellow).count, 50);
    EXPECT_TRUE(v().search.searchWord.empty());

    const auto& keys = v().keyboard.lowerKeys;
    auto tapKey = [&](const std::string& label) {
        const auto key =
            std::find_if(keys.begin(), keys.end(), [&](const KeyEntry& k) { return k.label == label; });
        ASSERT_NE(key, keys.end()) << label;
        harness.clickAt(v().keyboard.keyboardX + key->x + key->width / 2,
                        v().keyboard.keyboardY + key->y + key->height / 2);
    };
    for (const char* label : {"a", "b", "1"}) tapKey(label);
    harness.clickAt(v().keyboard.keyboardX + keys[57].x + 20,
                    v().keyboard.keyboardY + keys[57].y + 5);  // space
    for (const char* label : {"c", "d"}) tapKey(label);
    EXPECT_EQ(v().password.typedPassword, "ab1 cd");
    EXPECT_TRUE(v().search.searchWord.empty());
    harness.clickAt(v().keyboard.keyboardX + keys[27].x + 10,
                    v().keyboard.keyboardY + keys[27].y + 10);  // Return
    EXPECT_FALSE(v().password.passwordPanelOpen);
    EXPECT_EQ(v().document.pageCount, 2);
    EXPECT_TRUE(within(30.0, [&] { return v().view.firstPageShown; }));

    harness.open(path);
    harness.pressEscape();
    harness.frames(1);
    EXPECT_TRUE(harness.ended());
}
