// Sound: tracker-module tunes decoded by libmodplug and pulled by an SDL audio device.
#include <SDL.h>
#include <dlfcn.h>
#include <libmodplug/modplug.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <map>
#include <mutex>

#include "media/system/system.h"

namespace media {

namespace {

constexpr int sampleRate = 44100;
constexpr int outputChannels = 2;
constexpr int bytesPerFrame = outputChannels * 2;
constexpr int longestDecode = 10 * 60 * 1000;  // ten minutes of sound is about 100 MB

struct Tune {
    std::string data;  // the module, kept to reload it for a fresh start
    ModPlugFile* file = nullptr;
    bool playing = false;
};

// libmodplug keeps its mixer settings in globals, so every call into it, from the audio callback as
// from the main thread or a test, is made under "mutex". SDL calls are made without it: SDL holds its
// device lock while it runs the callback, which takes "mutex".
struct SoundState {
    std::mutex mutex;
    std::mutex deviceMutex;
    SDL_AudioDeviceID device = 0;
    std::map<int, Tune> tunes;
    ~SoundState() {
        if (device && SDL_WasInit(SDL_INIT_AUDIO)) SDL_CloseAudioDevice(device);  // callback ends first
        for (auto& entry : tunes) ModPlug_Unload(entry.second.file);
    }
};

SoundState& sound() {
    static SoundState instance;
    return instance;
}

// Called with the mutex held. Tunes loop for ever: the about screen stops them itself.
void applySettings() {
    static bool applied = false;
    if (applied) return;
    ModPlug_Settings settings;
    ModPlug_GetSettings(&settings);
    settings.mFrequency = sampleRate;
    settings.mChannels = outputChannels;
    settings.mBits = 16;
    settings.mResamplingMode = MODPLUG_RESAMPLE_SPLINE;
    settings.mLoopCount = -1;
    ModPlug_SetSettings(&settings);
    applied = true;
}

ModPlugFile* loadModule(const std::string& data) {
    if (data.empty() || data.size() > static_cast<std::size_t>(INT_MAX)) return nullptr;
    applySettings();
    return ModPlug_Load(data.data(), static_cast<int>(data.size()));
}

void mixInto(std::int16_t* target, const std::int16_t* source, int samples) {
    for (int i = 0; i < samples; ++i)
        target[i] = static_cast<std::int16_t>(std::clamp(target[i] + source[i], -32768, 32767));
}

// Reads one tune into the output, mixing it with what is there; a tune that has ended stops.
void mixTune(Tune& tune, std::int16_t* output, int bytes) {
    std::int16_t block[4096];
    for (int done = 0; done < bytes && tune.playing;) {
        int wanted = std::min<int>(bytes - done, static_cast<int>(sizeof block));
        int got = ModPlug_Read(tune.file, block, wanted);
        if (got <= 0) {
            tune.playing = false;
            break;
        }
        mixInto(output + done / 2, block, got / 2);
        done += got;
    }
}

void SDLCALL fillAudio(void*, Uint8* stream, int length) {
    std::memset(stream, 0, static_cast<std::size_t>(length));
    std::lock_guard lock(sound().mutex);
    for (auto& entry : sound().tunes)
        if (entry.second.playing && entry.second.file)
            mixTune(entry.second, reinterpret_cast<std::int16_t*>(stream), length - length % bytesPerFrame);
}

Tune* findTune(int number) {
    auto found = sound().tunes.find(number);
    return found == sound().tunes.end() || !found->second.file ? nullptr : &found->second;
}

void dropAlsaMessage(const char*, int, const char*, int, const char*, ...) {}

// On a machine without a sound card ALSA's library prints eight lines of its configuration's errors
// when SDL tries it. Going without sound is no error here (the about screen then names no music), so
// the library is asked to keep its messages: its handler is set through the library already loaded
// with SDL, or loaded here, so that no build depends on it.
void quietAlsa() {
    using Handler = void (*)(const char*, int, const char*, int, const char*, ...);
    using SetHandler = int (*)(Handler);
    void* library = ::dlopen("libasound.so.2", RTLD_LAZY);
    if (library == nullptr) return;
    if (auto set = reinterpret_cast<SetHandler>(::dlsym(library, "snd_lib_error_set_handler")))
        set(dropAlsaMessage);
}

}  // namespace

bool startSound() {
    std::lock_guard lock(sound().deviceMutex);
    if (sound().device && SDL_WasInit(SDL_INIT_AUDIO)) return true;
    sound().device = 0;  // SDL_Quit, when the display stopped, has closed it
    quietAlsa();
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return false;
    SDL_AudioSpec wanted{};
    wanted.freq = sampleRate;
    wanted.format = AUDIO_S16SYS;
    wanted.channels = outputChannels;
    wanted.samples = 2048;
    wanted.callback = fillAudio;
    SDL_AudioSpec obtained{};
    sound().device = SDL_OpenAudioDevice(nullptr, 0, &wanted, &obtained, 0);
    if (!sound().device) {
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return false;
    }
    SDL_PauseAudioDevice(sound().device, 0);
    return true;
}

// Closes the device and frees every tune (not yet declared in media.h; meant for stopDisplay).
void stopSound() {
    {
        std::lock_guard lock(sound().deviceMutex);
        if (sound().device && SDL_WasInit(SDL_INIT_AUDIO)) {
            SDL_CloseAudioDevice(sound().device);
            SDL_QuitSubSystem(SDL_INIT_AUDIO);
        }
        sound().device = 0;
    }
    std::lock_guard lock(sound().mutex);
    for (auto& entry : sound().tunes) ModPlug_Unload(entry.second.file);
    sound().tunes.clear();
}

bool prepareTune(int number, const void* data, std::size_t length) {
    if (number < 0 || !data || length == 0) return false;
    std::string bytes(static_cast<const char*>(data), length);
    std::lock_guard lock(sound().mutex);
    ModPlugFile* file = loadModule(bytes);
    if (!file) return false;
    Tune& tune = sound().tunes[number];
    if (tune.file) ModPlug_Unload(tune.file);
    tune = Tune{std::move(bytes), file, false};
    return true;
}

// Position 0 reloads the module, so that tempo, speed and effects start as at the beginning too.
void setTunePosition(int number, int position) {
    std::lock_guard lock(sound().mutex);
    Tune* tune = findTune(number);
    if (!tune) return;
    if (position <= 0) {
        if (ModPlugFile* fresh = loadModule(tune->data)) {
            ModPlug_Unload(tune->file);
            tune->file = fresh;
        }
        return;
    }
    ModPlug_SeekOrder(tune->file, position);
}

void playTune(int number) {
    std::lock_guard lock(sound().mutex);
    if (Tune* tune = findTune(number)) tune->playing = true;
}

void stopTune(int number) {
    std::lock_guard lock(sound().mutex);
    if (Tune* tune = findTune(number)) tune->playing = false;
}

bool tunePlaying(int number) {
    std::lock_guard lock(sound().mutex);
    Tune* tune = findTune(number);
    return tune && tune->playing;
}

std::vector<std::int16_t> decodeTune(const void* data, std::size_t length, int milliseconds, int* channels) {
    if (channels) *channels = 0;
    std::vector<std::int16_t> samples;
    if (!data || length == 0 || milliseconds <= 0) return samples;
    milliseconds = std::min(milliseconds, longestDecode);
    std::lock_guard lock(sound().mutex);
    ModPlugFile* file = loadModule(std::string(static_cast<const char*>(data), length));
    if (!file) return samples;
    if (channels) *channels = static_cast<int>(ModPlug_NumChannels(file));
    samples.resize(static_cast<std::size_t>(static_cast<std::int64_t>(milliseconds) * sampleRate / 1000) *
                   outputChannels);
    std::size_t bytes = samples.size() * sizeof(std::int16_t);
    std::size_t done = 0;
    while (done < bytes) {
        int wanted = static_cast<int>(std::min<std::size_t>(bytes - done, 1 << 20));
        int got = ModPlug_Read(file, reinterpret_cast<char*>(samples.data()) + done, wanted);
        if (got <= 0) break;
        done += static_cast<std::size_t>(got);
    }
    samples.resize(done / sizeof(std::int16_t));
    ModPlug_Unload(file);
    return samples;
}

}  // namespace media
