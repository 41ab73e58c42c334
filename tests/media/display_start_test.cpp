// Starting the video system: a driver named in SDL_VIDEODRIVER is taken as it is; otherwise only a
// driver that shows a window, found again across an X server's reset, or a clear message and failure.
// Choosing the renderer: the software one where OpenGL is rasterised in software (Xvfb's llvmpipe).
#include <SDL.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "media/desktop/desktop.h"
#include "media/display/display.h"
#include "media/display/display_internal.h"
#include "media/input/input.h"
#include "media/media.h"
#include "media/pictures/pictures.h"
#include "media/system/system.h"
#include "media/text/text.h"
#include "tests/support/x_server.h"

using namespace media;

namespace {

bool showsWindow(const std::string& driver) {
    return !driver.empty() && driver != "offscreen" && driver != "dummy" && driver != "evdev";
}

class VideoStart : public testing::TestWithParam<const char*> {
protected:
    void TearDown() override { stopDisplay(); }
};

TEST_P(VideoStart, ADriverChosenInTheEnvironmentIsTakenAsItIs) {
    ScopedVariable driver("SDL_VIDEODRIVER", GetParam());
    ASSERT_TRUE(startDisplay());
    EXPECT_EQ(videoDriver(), GetParam());
    stopDisplay();
    EXPECT_EQ(videoDriver(), "");
}

INSTANTIATE_TEST_SUITE_P(Display, VideoStart, testing::Values("dummy", "offscreen"));

// Nothing to show a window on: SDL alone would fall back to its off-screen driver without a word.
TEST(Display, WithNoDisplayToReachTheStartFailsAndSaysSoInsteadOfRunningUnseen) {
    std::string emptyRuntime = testing::TempDir() + "pagewell-no-wayland";
    std::filesystem::create_directories(emptyRuntime);
    ScopedVariable driver("SDL_VIDEODRIVER", nullptr);
    ScopedVariable x11("DISPLAY", nullptr);
    ScopedVariable wayland("WAYLAND_DISPLAY", nullptr);
    ScopedVariable runtime("XDG_RUNTIME_DIR", emptyRuntime.c_str());
    testing::internal::CaptureStderr();
    bool started = startDisplay();
    std::string message = testing::internal::GetCapturedStderr();
    if (started) {
        EXPECT_TRUE(showsWindow(videoDriver())) << videoDriver();  // a console's own display, say
    } else {
        EXPECT_THAT(message, testing::HasSubstr("Pagewell cannot open the display (DISPLAY not set"));
        EXPECT_EQ(videoDriver(), "");
    }
    stopDisplay();
}

// An X server of its own, which resets whenever its last client leaves.
class ResettingXServer : public XServerTest {
protected:
    void SetUp() override {
        if (access(client, X_OK) != 0) GTEST_SKIP() << "needs xdpyinfo";
        startServer("320x240x24");
    }
    // A client connects and leaves: the server resets as this returns.
    void touchServer() { runProgram(client, {"-display", display_}, {"", true, "/dev/null", {}}); }

    static constexpr const char* client = "/usr/bin/xdpyinfo";
};

TEST_F(ResettingXServer, TheViewerStartedRightAfterAClientLeftStillGetsItsX11Display) {
    ScopedVariable driver("SDL_VIDEODRIVER", nullptr);
    ScopedVariable x11("DISPLAY", display_.c_str());
    for (int round = 0; round < 20; ++round) {
        touchServer();
        ASSERT_TRUE(startDisplay()) << "round " << round;
        ASSERT_EQ(videoDriver(), "x11") << "round " << round;
        stopDisplay();
    }
}

TEST(RendererChoice, OpenGlRasterisedInSoftwareIsKnownByItsName) {
    for (const char* software : {"llvmpipe (LLVM 15.0.6, 256 bits)", "softpipe", "Mesa X11 swrast",
                                 "Software Rasterizer", "zink Vulkan 1.3(llvmpipe (LLVM 15.0.6, 256 bits))"})
        EXPECT_TRUE(detail::softwareRasteriser(software)) << software;
    for (const char* hardware :
         {"Mesa Intel(R) UHD Graphics 620 (KBL GT2)", "NVIDIA GeForce GTX 1080/PCIe/SSE2",
          "AMD Radeon RX 580 Series (polaris10, LLVM 15.0.6, DRM 3.49, 6.1.0-18-amd64)",
          "virgl (NVIDIA GeForce RTX 3060)", ""})
        EXPECT_FALSE(detail::softwareRasteriser(hardware)) << hardware;
}

// Under Xvfb OpenGL is llvmpipe: started with no SDL variable, the display takes the software renderer
// as on a machine without a graphics device, so where OpenGL is asked for its renderer's name. (A
// renderer the user names is taken: the accelerated redraw tests force OpenGL.)
class RendererOnXvfb : public XServerTest {
protected:
    ScopedVariable video_{"SDL_VIDEODRIVER", nullptr};
    ScopedVariable renderDriver_{"SDL_RENDER_DRIVER", nullptr};
    ScopedVariable framebuffer_{"SDL_FRAMEBUFFER_ACCELERATION", nullptr};
};

TEST_F(RendererOnXvfb, NoSdlVariablesGiveTheSoftwareRendererWithOrWithoutAGraphicsDevice) {
    startServer("320x240x24");
    if (IsSkipped() || HasFatalFailure()) return;
    ScopedVariable x11("DISPLAY", display_.c_str());
    ASSERT_TRUE(startDisplay());
    ASSERT_TRUE(openWindow(64, 48, "Renderer test", WindowFlags{}));
    SDL_Renderer* asked = detail::chooseRenderer(detail::display().window, true);
    SDL_RendererInfo info{};
    EXPECT_TRUE(asked != nullptr && SDL_GetRendererInfo(asked, &info) == 0 &&
                info.name == std::string("software"));
    SDL_DestroyRenderer(asked);
    ASSERT_TRUE(openDisplay(64, 48));
    EXPECT_EQ(rendererName(), "software");
}

}  // namespace
