// Tracker-module tunes: decoding without a device and the tune controls.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

#include "media/system/system.h"
#include "tests/support/x_server.h"

namespace {

void putWord(std::string& module, std::size_t at, int value) {
    module[at] = static_cast<char>((value >> 8) & 255);
    module[at + 1] = static_cast<char>(value & 255);
}

// A four-channel ProTracker module: one looping square-wave sample, one pattern that strikes it on
// every channel in the first row.
std::string squareWaveModule() {
    const int sampleWords = 64;
    std::string module(1084 + 1024 + sampleWords * 2, '\0');
    std::memcpy(&module[0], "pagewell test", 13);
    std::size_t sample = 20;
    std::memcpy(&module[sample], "square", 6);
    putWord(module, sample + 22, sampleWords);
    module[sample + 25] = 64;  // volume
    putWord(module, sample + 26, 0);
    putWord(module, sample + 28, sampleWords);  // loops over the whole sample
    module[950] = 1;                            // one order
    module[951] = 127;
    std::memcpy(&module[1080], "M.K.", 4);
    for (int channel = 0; channel < 4; ++channel) {
        std::size_t cell = 1084 + channel * 4;
        const int period = 428;
        module[cell] = static_cast<char>(period >> 8);
        module[cell + 1] = static_cast<char>(period & 255);
        module[cell + 2] = 0x10;  // sample 1, no effect
    }
    for (int i = 0; i < sampleWords * 2; ++i)
        module[2108 + i] = static_cast<char>(i < sampleWords ? 100 : -100);
    return module;
}

TEST(Tunes, ModuleDecodesToFourChannelsOfSound) {
    std::string module = squareWaveModule();
    int channels = 0;
    std::vector<std::int16_t> samples = media::decodeTune(module.data(), module.size(), 500, &channels);
    EXPECT_EQ(channels, 4);
    EXPECT_EQ(samples.size(), 44100u);  // half a second of stereo frames
    int loudest = 0;
    for (std::int16_t s : samples) loudest = std::max(loudest, std::abs(static_cast<int>(s)));
    EXPECT_GT(loudest, 1000);
}

TEST(Tunes, GarbageIsNoTune) {
    std::string garbage(3000, '\x55');
    int channels = 7;
    EXPECT_TRUE(media::decodeTune(garbage.data(), garbage.size(), 100, &channels).empty());
    EXPECT_EQ(channels, 0);
    EXPECT_TRUE(media::decodeTune(nullptr, 0, 100).empty());
    EXPECT_FALSE(media::prepareTune(1, garbage.data(), garbage.size()));
    EXPECT_FALSE(media::prepareTune(1, nullptr, 10));
}

TEST(Tunes, PlayStopAndRewindWithOrWithoutADevice) {
    bool device = media::startSound();  // the dummy driver in tests; a machine without sound says false
    std::string module = squareWaveModule();
    EXPECT_FALSE(media::tunePlaying(2));
    media::playTune(2);
    EXPECT_FALSE(media::tunePlaying(2)) << "no tune under that number yet";
    ASSERT_TRUE(media::prepareTune(2, module.data(), module.size()));
    EXPECT_FALSE(media::tunePlaying(2));
    media::setTunePosition(2, 0);
    media::playTune(2);
    EXPECT_TRUE(media::tunePlaying(2));
    media::sleepMilliseconds(device ? 100 : 0);
    media::setTunePosition(2, 0);
    media::stopTune(2);
    EXPECT_FALSE(media::tunePlaying(2));
}

// Without a sound card ALSA's library would print its configuration's errors on every start: the
// viewer goes on without sound, silently. (On a machine with a card the device simply opens.)
TEST(Tunes, NoSoundCardPrintsNothing) {
    ScopedVariable alsa("SDL_AUDIODRIVER", "alsa");
    media::stopSound();
    testing::internal::CaptureStderr();
    media::startSound();
    const std::string said = testing::internal::GetCapturedStderr();
    media::stopSound();
    EXPECT_EQ(said.find("ALSA lib"), std::string::npos) << said;
}

}  // namespace
