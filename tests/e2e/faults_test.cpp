// Faults around the conversion: a converter killed mid-page, the tool folder missing, a cache that
// cannot be written or fills the disk, the program ended mid-conversion, an installed (read-only)
// program folder. The viewer keeps running and never takes a half-made cache as whole.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <optional>

#include "app/app.h"
#include "app/opening.h"
#include "context/viewer.h"
#include "document/conversion.h"
#include "document/document.h"
#include "document/tools.h"
#include "media/display/display.h"
#include "media/input/input.h"
#include "media/media.h"
#include "media/pictures/pictures.h"
#include "media/system/system.h"
#include "tests/e2e/e2e_fixture.h"
#include "tests/support/polling.h"

namespace {

namespace fs = std::filesystem;

const std::string toolFolder = PAGEWELL_TOOL_FOLDER;

// The tool folder of a program folder, filled with links to the real tools.
std::string linkRealTools(const std::string& programFolder) {
    const std::string folder = programFolder + toolSubfolder;
    fs::create_directories(folder);
    for (const char* name : {"pdfinfo.exe", "pdftotext.exe", "pdftopng.exe"})
        fs::create_symlink(toolFolder + name, folder + name);
    return folder;
}

// A page converter that dies by SIGKILL on page 2 after starting its output, as a converter killed
// mid-write would: the unfinished file under its temporary name stays behind.
void installDyingConverter(const std::string& tools) {
    fs::remove(tools + "pdftopng.exe");
    writeFile(tools + "pdftopng.exe",
              "#!/bin/sh\n"
              "for root; do :; done\n"
              "if [ \"$3\" = 2 ]; then\n"
              "  printf 'half a page' > \"$(dirname \"$root\")/.$(basename \"$root\")-000002.png.k1ll3d\"\n"
              "  kill -9 $$\n"
              "fi\n"
              "exec '" +
                  toolFolder + "pdftopng.exe' \"$@\"\n");
    fs::permissions(tools + "pdftopng.exe",
                    fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec);
}

bool workEnded(Viewer& v) {
    const ConversionState& c = v.conversion;
    return !c.conversionRunning && !c.thumbnailGenerationActive && !c.workerRunning && !c.thumbnailsWanted;
}

// Every file of the folder that begins and ends so is a whole picture.
void expectWholePictures(const std::string& folder, const std::string& start, const std::string& end) {
    for (const std::string& name : filesIn(folder)) {
        if (!name.starts_with(start) || !name.ends_with(end)) continue;
        EXPECT_TRUE(media::loadImage(4242, folder + name)) << name << " is not a whole picture";
        media::freeImage(4242);
    }
}

using FaultTest = E2eTest;

struct ToolFaultTest : E2eTest {
    ToolFaultTest() : E2eTest({.realClock = true, .withTools = false}) {}
};

// The viewer started from a given program folder, as an installed copy is.
struct InstalledViewer {
    Viewer v;
    bool started = false;
    explicit InstalledViewer(const std::string& programFolder) {
        media::useTestClock(false);
        media::resetInput();
        started = startUp(v, {.programFolder = programFolder,
                              .documentToOpen = "",
                              .pageToOpen = 0,
                              .desktopWidth = 1080,
                              .desktopHeight = 1920});
        media::pumpEvents();
    }
    ~InstalledViewer() {
        stopPageFileWorker(v);
        media::stopDisplay();
        media::overrideDesktopSize(0, 0);
        media::resetInput();
    }
};

// Sets a variable (unsets it for nullptr) for its lifetime.
struct Environment {
    std::string name;
    std::optional<std::string> old;
    Environment(const std::string& variable, const char* value) : name(variable) {
        if (const char* was = std::getenv(variable.c_str())) old = was;
        value ? ::setenv(variable.c_str(), value, 1) : ::unsetenv(variable.c_str());
    }
    ~Environment() { old ? ::setenv(name.c_str(), old->c_str(), 1) : ::unsetenv(name.c_str()); }
};

std::string configurationBytes(unsigned seed) {
    std::string bytes(8192, '\0');
    for (char& c : bytes) {
        seed = seed * 1103515245u + 12345u;
        c = static_cast<char>((seed >> 16) & 0xff);
    }
    return bytes;
}

}  // namespace

// The page stays not ready (its half file is never taken for it); the others are converted, the
// work ends, and the next opening converts the whole document again.
TEST_F(ToolFaultTest, ConverterKilledWhileWritingLeavesItsPageNotReady) {
    const std::string tools = linkRealTools(harness.programFolder());
    installDyingConverter(tools);
    const std::string path = numberedPdf(3, "killed.pdf");
    harness.open(path);
    const std::string folder = v().document.documentCacheFolder;
    ASSERT_TRUE(within(60.0, [&] { return workEnded(v()); }));
    EXPECT_TRUE(fs::exists(folder + ".page-000002.png.k1ll3d"));
    EXPECT_FALSE(fs::exists(folder + "page-000002.png"));
    EXPECT_FALSE(fs::exists(folder + "page-000002.jpg"));
    EXPECT_TRUE(media::filePresent(folder + "page-000001.jpg"));
    EXPECT_TRUE(media::filePresent(folder + "page-000003.jpg"));
    EXPECT_TRUE(pageImageFile(v(), 2).empty());
    expectWholePictures(folder, "", ".jpg");

    fs::remove(tools + "pdftopng.exe");
    fs::create_symlink(toolFolder + "pdftopng.exe", tools + "pdftopng.exe");
    harness.open(path);
    EXPECT_FALSE(v().document.documentIsCached);
    EXPECT_FALSE(fs::exists(folder + ".page-000002.png.k1ll3d"));
    ASSERT_TRUE(within(60.0, [&] { return conversionFinished(v(), 3); }));
    harness.open(path);
    EXPECT_TRUE(v().document.documentIsCached);
}

// Nothing can run: the information program's start is said, no information file is left for it, and
// the frames go on.
TEST_F(ToolFaultTest, MissingToolFolderIsReportedAndNothingHangs) {
    harness.open(numberedPdf(2, "no tools.pdf"));
    EXPECT_TRUE(v().document.documentUnreadable);
    EXPECT_TRUE(v().frame.messagePanelShown);
    EXPECT_EQ(v().frame.messagePanelText,
              "The information program could not be started: No such file or directory");
    EXPECT_FALSE(fs::exists(v().document.documentCacheFolder + "Information.ini"));
    EXPECT_FALSE(v().conversion.conversionRunning);
    harness.frames(100);
    EXPECT_FALSE(harness.ended());
    EXPECT_EQ(v().conversion.pageQueue.startCount(), 0);
}

// One tool program cannot be started (not executable, a folder): the message panel says which and
// why, the terminal says it once with its path, and the other tools do their work.
struct UnstartableToolTest : ToolFaultTest, ::testing::WithParamInterface<const char*> {};

TEST_P(UnstartableToolTest, IsSaidOnScreenAndInTheTerminalOnce) {
    const std::string tools = linkRealTools(harness.programFolder()), tool = tools + GetParam();
    const bool converter = tool.ends_with("pdftopng.exe");
    fs::remove(tool);
    ASSERT_TRUE(converter ? writeFile(tool, "#!/bin/sh\n") : fs::create_directory(tool));
    const std::string path = numberedPdf(3, "three.pdf");
    testing::internal::CaptureStderr();
    harness.open(path);
    within(30.0, [&] { return workEnded(v()); });
    harness.frames(2);
    const std::string terminal = testing::internal::GetCapturedStderr();
    const std::string said = converter ? "The page converter could not be started: Permission denied"
                                       : "The text extractor could not be started: Is a directory";
    EXPECT_EQ(v().frame.messagePanelText, said);
    EXPECT_NE(terminal.find(said + " (" + tool + ")"), std::string::npos) << terminal;
    EXPECT_EQ(terminal.find(said), terminal.rfind(said)) << terminal;
    EXPECT_EQ(media::filePresent(v().document.documentCacheFolder + "page-000003.jpg"), !converter);
}

INSTANTIATE_TEST_SUITE_P(Tools, UnstartableToolTest, ::testing::Values("pdftopng.exe", "pdftotext.exe"));

// The cache root refuses every write: the opening says the document cannot be read and nothing waits.
TEST_F(FaultTest, ReadOnlyCacheRootIsReportedAndNothingHangs) {
    const std::string root = v().layout.cacheRoot;
    std::optional<TestMount> mount;
    if (permissionsApply()) {
        ASSERT_EQ(::chmod(root.c_str(), 0555), 0);
    } else {
        const std::string why = whyNoMounts();
        if (!why.empty()) GTEST_SKIP() << "root ignores permission bits and " << why;
        mount.emplace(root, "1m");
        ASSERT_TRUE(mount->mounted() && mount->makeReadOnly());
    }
    harness.open(numberedPdf(2, "read only.pdf"));
    EXPECT_TRUE(v().document.documentUnreadable);
    EXPECT_EQ(v().frame.messagePanelText.rfind("The cache folder cannot be written", 0), 0u);
    EXPECT_FALSE(v().conversion.conversionRunning);
    harness.frames(100);
    EXPECT_FALSE(harness.ended());
    EXPECT_TRUE(filesIn(root).empty());
    if (permissionsApply()) ::chmod(root.c_str(), 0755);
}

// 2 MB hold a few pages only: the rest cannot be written. The work still ends, no page file is
// taken as whole that is not, a page whose JPEG could not be written keeps its PNG, and the user is
// told that the disk is full, also by a later opening that cannot write its folder at all.
TEST_F(FaultTest, FullDiskEndsTheWorkWithoutHalfFiles) {
    const std::string why = whyNoMounts();
    if (!why.empty()) GTEST_SKIP() << "a small file system for the cache needs " << why;
    TestMount mount(v().layout.cacheRoot, "2m");
    ASSERT_TRUE(mount.mounted());
    std::vector<TestPage> pages(24);
    for (std::size_t i = 0; i < pages.size(); ++i)
        for (int line = 0; line < 45; ++line)
            pages[i].lines.push_back("Page " + std::to_string(i + 1) + " line " + std::to_string(line) +
                                     " with enough words to give the JPEG some weight, and more");
    const std::string path = documents + "too big.pdf";
    ASSERT_TRUE(makeTestPdf(path, pages));
    harness.open(path);
    ASSERT_EQ(v().document.pageCount, 24);
    ASSERT_TRUE(within(90.0, [&] { return workEnded(v()); }));
    harness.frames(20);
    EXPECT_FALSE(harness.ended());
    const std::string folder = v().document.documentCacheFolder;
    // Page 1 was written before the disk filled: it shows, from its JPEG or the PNG kept for it.
    EXPECT_TRUE(v().view.firstPageShown);
    EXPECT_FALSE(pageImageFile(v(), 1).empty());
    EXPECT_TRUE(pageImageFile(v(), 24).empty());
    expectWholePictures(folder, "", ".jpg");
    expectWholePictures(folder, "page-", ".png");
    EXPECT_TRUE(v().document.cacheDiskFullSaid);
    EXPECT_EQ(v().frame.messagePanelText,
              "The disk is full: pages that cannot be written to the cache are not shown.");
    // Another document on the full disk: said at its opening, or as soon as its pages are due.
    harness.open(numberedPdf(2, "another.pdf"));
    EXPECT_TRUE(harness.runUntil([&] { return v().frame.messagePanelText.starts_with("The disk is full"); },
                                 100000, 5, 10.0))
        << v().frame.messagePanelText;
    harness.open(path);
    EXPECT_FALSE(v().document.documentIsCached);
}

// The program ends (Escape) while pages are still being converted; the next run finds a folder
// with some pages only and converts the document again before taking it as complete.
TEST(ProgramEndTest, EndedDuringConversionIsRebuiltWhenOpenedAgain) {
    HardTimeLimit limit(150);
    const std::string documents = makeTemporaryFolder("fault-documents"),
                      path = documents + "interrupted.pdf", saved = documents + "saved cache/";
    ASSERT_TRUE(makeNumberedPdf(path, 6));
    std::string folderName;
    {
        Harness first(realClockOptions());
        first.open(path);
        ASSERT_TRUE(first.runUntil([&] { return first.v().conversion.pageQueue.startCount() >= 3; }, 10000000,
                                   5, 30.0));
        first.pressEscape();
        first.frames(5);
        ASSERT_TRUE(first.ended());
        const std::string folder = first.v().document.documentCacheFolder;
        folderName = fs::path(folder.substr(0, folder.size() - 1)).filename().string();
        fs::copy(folder, saved);
    }
    Harness second(realClockOptions());
    fs::copy(saved, second.v().layout.cacheRoot + folderName);
    second.open(path);
    EXPECT_FALSE(second.v().document.documentIsCached);
    ASSERT_TRUE(second.runUntil([&] { return conversionFinished(second.v(), 6); }, 10000000, 5, 60.0));
    second.runUntil([&] { return second.v().sheet.sheetReady; }, 100000, 5, 10.0);
    second.open(path);
    EXPECT_TRUE(second.v().document.documentIsCached);
    EXPECT_EQ(second.v().document.pageCount, 6);
}

// An installed program folder cannot be written: the caches go to $XDG_CACHE_HOME/pagewell/, or to
// ~/.cache/pagewell/ without it, and documents convert there.
TEST(InstalledProgramTest, ReadOnlyProgramFolderKeepsItsCachesInTheUserCacheFolder) {
    HardTimeLimit limit(150);
    const std::string programFolder = makeTemporaryFolder("fault-installed");
    std::optional<TestMount> mount;
    if (!permissionsApply()) {
        const std::string why = whyNoMounts();
        if (!why.empty()) GTEST_SKIP() << "root ignores permission bits and " << why;
        mount.emplace(programFolder, "1m");
        ASSERT_TRUE(mount->mounted());
    }
    fs::copy_file(std::string(PAGEWELL_SOURCE_DIR) + "/Pagewell.ini", programFolder + "Pagewell.ini");
    linkRealTools(programFolder);
    ASSERT_TRUE(mount ? mount->makeReadOnly() : ::chmod(programFolder.c_str(), 0555) == 0);
    const std::string path = makeTemporaryFolder("fault-documents") + "installed.pdf",
                      home = makeTemporaryFolder("fault-home"), xdg = makeTemporaryFolder("fault-xdg");
    ASSERT_TRUE(makeNumberedPdf(path, 2));
    Environment homeVariable("HOME", home.c_str());
    {
        Environment xdgVariable("XDG_CACHE_HOME", xdg.c_str());
        InstalledViewer installed(programFolder);
        ASSERT_TRUE(installed.started);
        EXPECT_EQ(installed.v.layout.cacheRoot, xdg + "pagewell/");
        openDocumentPath(installed.v, path);
        EXPECT_EQ(installed.v.document.pageCount, 2);
        EXPECT_EQ(installed.v.document.documentCacheFolder.rfind(xdg + "pagewell/", 0), 0u);
        bool running = true;
        EXPECT_TRUE(eventually([&] { return !running || conversionFinished(installed.v, 2); }, 60.0,
                               [&] { running = runFrame(installed.v); }) &&
                    running);
    }
    {
        Environment xdgVariable("XDG_CACHE_HOME", nullptr);
        InstalledViewer installed(programFolder);
        ASSERT_TRUE(installed.started);
        EXPECT_EQ(installed.v.layout.cacheRoot, home + ".cache/pagewell/");
        EXPECT_TRUE(media::folderExists(home + ".cache/pagewell/"));
    }
    EXPECT_FALSE(fs::exists(programFolder + "cache"));
    if (!mount) ::chmod(programFolder.c_str(), 0755);
}

// A damaged configuration file or one without its sections: the viewer starts, the search panel
// and its keyboard work with whatever keys there are, and typing on it breaks nothing.
TEST(DamagedConfigurationTest, BinaryOrIncompleteConfigurationStillStarts) {
    HardTimeLimit limit(120);
    const std::vector<std::pair<std::string, std::string>> configurations = {
        {"binary", configurationBytes(7)},
        {"binary with the broken bar", "[KEYBOARD_LAYOUT]\n1stROW_LowerCase=" + configurationBytes(8) + "\n"},
        {"no sections", "EnableOn-ScreenKeyboard=YES\n1stROW_LowerCase=\xC2\xA6q\xC2\xA6w\n"},
        {"GLOBAL only", "[GLOBAL]\nEnableOn-ScreenKeyboard=YES\n"},
        {"empty rows",
         "[GLOBAL]\nEnableOn-ScreenKeyboard=YES\n[KEYBOARD_LAYOUT]\n1stROW_LowerCase=\n"
         "5thROW_LowerCase=\xC2\xA6\xC2\xA6\xC2\xA6\xC2\xA6\xC2\xA6\xC2\xA6\xC2\xA6\xC2\xA6\n"},
    };
    for (const auto& [what, text] : configurations) {
        SCOPED_TRACE(what);
        Harness harness({.desktopWidth = 540, .desktopHeight = 960, .configurationText = text});
        ASSERT_TRUE(harness.started());
        Viewer& v = harness.v();
        v.frame.searchPanelOpen = true;
        harness.frames(3);
        for (int y = 5; y < 300; y += 41)
            for (int x = 5; x < v.layout.screenWidth; x += 67)
                harness.clickAt(v.keyboard.keyboardX + x, v.keyboard.keyboardY + y);
        harness.type("ß文");
        harness.frames(5);
        EXPECT_FALSE(harness.ended());
    }
}
