// Build-time generator: composes the about screen's tune, "Portrait Drift", as a 4-channel ProTracker
// module (M.K.) with instruments synthesised here, and writes it to the file named by argv[1].
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

namespace {

constexpr double pi = 3.14159265358979323846;
constexpr int rowsPerPattern = 64;
constexpr int channelCount = 4;
constexpr int rowsPerBar = 16;
constexpr double paulaClock = 3546895.0;  // PAL: a period p plays paulaClock / p samples a second

// ---------------------------------------------------------------------------------------------
// Instruments: 8-bit signed samples.

struct Instrument {
    std::string name;
    std::vector<std::int8_t> data;
    int volume = 64;
    bool looped = false;
};

std::int8_t toSample(double value) {
    return static_cast<std::int8_t>(std::clamp(std::lround(value), -127L, 127L));
}

// A deterministic noise source, so that every build writes the same module.
struct Noise {
    std::uint32_t state = 0x2545F491u;
    double next() {
        state = state * 1103515245u + 12345u;
        return static_cast<double>((state >> 8) & 0xFFFF) / 32768.0 - 1.0;
    }
};

// One cycle shape repeated; a whole number of cycles loops without a click.
Instrument cycleInstrument(const std::string& name, int cycle, int cycles, int volume,
                           double (*shape)(double)) {
    Instrument instrument{name, {}, volume, true};
    for (int i = 0; i < cycle * cycles; ++i)
        instrument.data.push_back(toSample(shape(static_cast<double>(i % cycle) / cycle)));
    return instrument;
}

// The lead: a quarter-duty pulse with its DC offset taken out.
double pulseShape(double t) {
    return t < 0.25 ? 72.0 : -24.0;
}
double triangleShape(double t) {
    return (1.0 - 4.0 * std::abs(t - 0.5)) * 110.0;
}
double padShape(double t) {
    return 70.0 * std::sin(2 * pi * t) + 22.0 * std::sin(4 * pi * t) + 9.0 * std::sin(6 * pi * t);
}

// Played at C-2 (8,287 samples a second): a falling sine that dies away.
Instrument kick() {
    Instrument instrument{"kick", {}, 64, false};
    const double rate = paulaClock / 428;
    double phase = 0;
    for (int i = 0; i < 1800; ++i) {
        const double t = i / rate;
        phase += 2 * pi * (45.0 + 120.0 * std::exp(-t * 28.0)) / rate;
        instrument.data.push_back(toSample(120.0 * std::exp(-t * 9.0) * std::sin(phase)));
    }
    return instrument;
}

// Played at C-3 (16,574 samples a second): noise over a short low tone.
Instrument snare() {
    Instrument instrument{"snare", {}, 50, false};
    const double rate = paulaClock / 214;
    Noise noise;
    for (int i = 0; i < 2400; ++i) {
        const double t = i / rate;
        const double body = 50.0 * std::exp(-t * 30.0) * std::sin(2 * pi * 190.0 * t);
        instrument.data.push_back(toSample(body + 85.0 * std::exp(-t * 16.0) * noise.next()));
    }
    return instrument;
}

// Played at C-3: differenced noise, which keeps its highs, with a fast decay.
Instrument hat() {
    Instrument instrument{"hat", {}, 28, false};
    const double rate = paulaClock / 214;
    Noise noise;
    double previous = 0;
    for (int i = 0; i < 700; ++i) {
        const double value = noise.next();
        instrument.data.push_back(toSample(70.0 * std::exp(-i / rate * 55.0) * (value - previous)));
        previous = value;
    }
    return instrument;
}

std::vector<Instrument> instruments() {
    return {cycleInstrument("lead", 32, 8, 44, pulseShape),
            cycleInstrument("bass", 64, 4, 52, triangleShape),
            cycleInstrument("pad", 32, 8, 20, padShape),
            kick(),
            snare(),
            hat()};
}
enum InstrumentNumber { lead = 1, bass = 2, pad = 3, kickDrum = 4, snareDrum = 5, hatDrum = 6 };

// ---------------------------------------------------------------------------------------------
// Notes and patterns.

struct Cell {
    int instrument = 0, period = 0, effect = 0, parameter = 0;
};
using Pattern = std::array<Cell, rowsPerPattern * channelCount>;

// ProTracker's periods for octaves 1 to 3, finetune 0.
constexpr std::array<int, 36> periods = {856, 808, 762, 720, 678, 640, 604, 570, 538, 508, 480, 453,
                                         428, 404, 381, 360, 339, 320, 302, 285, 269, 254, 240, 226,
                                         214, 202, 190, 180, 170, 160, 151, 143, 135, 127, 120, 113};

// "C-2", "F#3": a note name, sharp or dash, octave 1..3. 0 for anything else.
int periodOf(const std::string& note) {
    static const std::string names = "C-C#D-D#E-F-F#G-G#A-A#B-";
    if (note.size() != 3 || note[2] < '1' || note[2] > '3') return 0;
    const auto at = names.find(note.substr(0, 2));
    if (at == std::string::npos || at % 2 != 0) return 0;
    return periods[static_cast<std::size_t>((note[2] - '1') * 12 + static_cast<int>(at / 2))];
}

Cell& cell(Pattern& pattern, int row, int channel) {
    return pattern[static_cast<std::size_t>(row * channelCount + channel)];
}

void putNote(Pattern& pattern, int row, int channel, int instrument, const std::string& note) {
    Cell& target = cell(pattern, row, channel);
    target.instrument = instrument;
    target.period = periodOf(note);
}

// A melody line: one token a row, "---" holds, "^^^" silences (volume 0).
void putMelody(Pattern& pattern, int channel, const std::string& line) {
    std::istringstream tokens(line);
    std::string token;
    for (int row = 0; row < rowsPerPattern && tokens >> token; ++row) {
        if (token == "^^^")
            cell(pattern, row, channel).effect = 0xC;
        else if (token != "---")
            putNote(pattern, row, channel, lead, token);
    }
}

struct Chord {
    std::string root;  // "A-", "F#"
    bool minor;
};

// One bar per chord: the pad strikes the root and arpeggiates the chord on every row.
void putChords(Pattern& pattern, int channel, const std::vector<Chord>& chords) {
    for (int bar = 0; bar < static_cast<int>(chords.size()); ++bar) {
        const Chord& chord = chords[static_cast<std::size_t>(bar)];
        putNote(pattern, bar * rowsPerBar, channel, pad, chord.root + "2");
        for (int row = 0; row < rowsPerBar; ++row) {
            Cell& target = cell(pattern, bar * rowsPerBar + row, channel);
            target.effect = 0x0;
            target.parameter = chord.minor ? 0x37 : 0x47;
        }
    }
}

// Octave bass on eighth notes, or only on beats 1 and 3 when sparse.
void putBass(Pattern& pattern, int channel, const std::vector<Chord>& chords, bool sparse) {
    for (int bar = 0; bar < static_cast<int>(chords.size()); ++bar) {
        const std::string& root = chords[static_cast<std::size_t>(bar)].root;
        for (int row = 0; row < rowsPerBar; row += sparse ? 8 : 2)
            putNote(pattern, bar * rowsPerBar + row, channel, bass, root + (row % 4 == 2 ? "2" : "1"));
    }
}

// One bar of drums a string: k kick, s snare, h hat, '.' nothing.
void putDrums(Pattern& pattern, int channel, const std::vector<std::string>& bars) {
    for (int bar = 0; bar < static_cast<int>(bars.size()); ++bar) {
        for (int row = 0;
             row < rowsPerBar && row < static_cast<int>(bars[static_cast<std::size_t>(bar)].size()); ++row) {
            const char hit = bars[static_cast<std::size_t>(bar)][static_cast<std::size_t>(row)];
            const int r = bar * rowsPerBar + row;
            if (hit == 'k') putNote(pattern, r, channel, kickDrum, "C-2");
            if (hit == 's') putNote(pattern, r, channel, snareDrum, "C-3");
            if (hit == 'h') putNote(pattern, r, channel, hatDrum, "C-3");
        }
    }
}

const std::vector<Chord> verseChords = {{"A-", true}, {"F-", false}, {"C-", false}, {"G-", false}};
const std::vector<Chord> chorusChords = {{"F-", false}, {"G-", false}, {"E-", true}, {"A-", true}};
const std::vector<Chord> bridgeChords = {{"D-", true}, {"E-", true}, {"F-", false}, {"E-", false}};
const std::string basicBeat = "k.h.s.h.k.h.s.h.";
const std::string turnBeat = "k.h.s.hkk.h.s.hs";
const std::string fillBeat = "k.h.s.h.s.sss.ss";

struct Section {
    const std::vector<Chord>* chords;
    std::vector<std::string> drums;
    std::string melody;  // 64 tokens, or empty
    bool sparseBass = false;
};

const std::vector<Section> sections = {
    // 0: intro, no melody
    {&verseChords, {"h.h.h.h.h.h.h.h.", "h.h.h.h.h.h.hhh.", basicBeat, fillBeat}, "", true},
    // 1: verse
    {&verseChords,
     {basicBeat, basicBeat, basicBeat, turnBeat},
     "A-2 --- --- --- C-3 --- E-3 --- D-3 --- C-3 --- B-2 --- C-3 --- "
     "A-2 --- --- --- --- --- --- --- F-2 --- A-2 --- C-3 --- A-2 --- "
     "G-2 --- --- --- E-3 --- --- --- D-3 --- C-3 --- D-3 --- E-3 --- "
     "D-3 --- --- --- --- --- --- --- B-2 --- --- --- ^^^ --- --- ---"},
    // 2: verse, the answer
    {&verseChords,
     {basicBeat, basicBeat, basicBeat, fillBeat},
     "E-3 --- --- --- E-3 --- D-3 --- C-3 --- --- --- A-2 --- C-3 --- "
     "C-3 --- --- --- A-2 --- --- --- F-2 --- G-2 --- A-2 --- C-3 --- "
     "E-3 --- --- --- G-3 --- --- --- E-3 --- D-3 --- C-3 --- D-3 --- "
     "B-2 --- --- --- --- --- --- --- G-2 --- A-2 --- B-2 --- D-3 ---"},
    // 3: chorus
    {&chorusChords,
     {basicBeat, basicBeat, basicBeat, turnBeat},
     "A-3 --- --- --- A-3 --- G-3 --- F-3 --- --- --- C-3 --- F-3 --- "
     "G-3 --- --- --- G-3 --- F-3 --- D-3 --- --- --- B-2 --- D-3 --- "
     "E-3 --- --- --- G-3 --- --- --- B-3 --- --- --- G-3 --- E-3 --- "
     "A-3 --- --- --- --- --- --- --- --- --- --- --- ^^^ --- --- ---"},
    // 4: chorus, climbing to its close
    {&chorusChords,
     {basicBeat, basicBeat, turnBeat, fillBeat},
     "A-3 --- --- --- C-3 --- F-3 --- A-3 --- G-3 --- F-3 --- G-3 --- "
     "B-3 --- --- --- G-3 --- D-3 --- G-3 --- --- --- F-3 --- G-3 --- "
     "E-3 --- --- --- B-2 --- E-3 --- G-3 --- F#3 --- E-3 --- D-3 --- "
     "E-3 --- --- --- C-3 --- --- --- A-2 --- --- --- --- --- ^^^ ---"},
    // 5: bridge, half-time, ending on E major to lead back
    {&bridgeChords,
     {"k...s...k.k.s...", "k...s...k.k.s...", "k...s...k.k.s..h", fillBeat},
     "F-3 --- --- --- --- --- E-3 --- D-3 --- --- --- A-2 --- --- --- "
     "G-3 --- --- --- --- --- F#3 --- E-3 --- --- --- B-2 --- --- --- "
     "A-3 --- G-3 --- F-3 --- C-3 --- F-3 --- A-3 --- C-3 --- A-2 --- "
     "G#3 --- --- --- --- --- --- --- B-3 --- --- --- G#3 --- E-3 ---",
     true},
};
// About 77 seconds at speed 6 and 125 beats a minute before the song starts again.
const std::vector<int> order = {0, 1, 2, 3, 4, 5, 1, 2, 3, 4};

Pattern composePattern(const Section& section) {
    Pattern pattern{};
    putMelody(pattern, 0, section.melody);
    putBass(pattern, 1, *section.chords, section.sparseBass);
    putChords(pattern, 2, *section.chords);
    putDrums(pattern, 3, section.drums);
    return pattern;
}

// ---------------------------------------------------------------------------------------------
// The file.

void putText(std::vector<std::uint8_t>& out, const std::string& text, std::size_t length) {
    for (std::size_t i = 0; i < length; ++i)
        out.push_back(i < text.size() ? static_cast<std::uint8_t>(text[i]) : 0);
}

void putWord(std::vector<std::uint8_t>& out, int value) {
    out.push_back(static_cast<std::uint8_t>((value >> 8) & 0xFF));
    out.push_back(static_cast<std::uint8_t>(value & 0xFF));
}

void putInstrumentHeader(std::vector<std::uint8_t>& out, const Instrument* instrument) {
    putText(out, instrument ? instrument->name : "", 22);
    const int words = instrument ? static_cast<int>(instrument->data.size() / 2) : 0;
    putWord(out, words);
    out.push_back(0);  // finetune
    out.push_back(static_cast<std::uint8_t>(instrument ? instrument->volume : 0));
    putWord(out, 0);                                             // loop start, in words
    putWord(out, instrument && instrument->looped ? words : 1);  // loop length; 1 means none
}

void putPattern(std::vector<std::uint8_t>& out, const Pattern& pattern) {
    for (const Cell& c : pattern) {
        out.push_back(static_cast<std::uint8_t>((c.instrument & 0xF0) | ((c.period >> 8) & 0x0F)));
        out.push_back(static_cast<std::uint8_t>(c.period & 0xFF));
        out.push_back(static_cast<std::uint8_t>(((c.instrument & 0x0F) << 4) | (c.effect & 0x0F)));
        out.push_back(static_cast<std::uint8_t>(c.parameter & 0xFF));
    }
}

std::vector<std::uint8_t> composeModule() {
    const std::vector<Instrument> all = instruments();
    std::vector<std::uint8_t> out;
    putText(out, "portrait drift", 20);
    for (std::size_t i = 0; i < 31; ++i) putInstrumentHeader(out, i < all.size() ? &all[i] : nullptr);
    out.push_back(static_cast<std::uint8_t>(order.size()));
    out.push_back(0);  // restart position
    for (std::size_t i = 0; i < 128; ++i)
        out.push_back(static_cast<std::uint8_t>(i < order.size() ? order[i] : 0));
    putText(out, "M.K.", 4);
    for (const Section& section : sections) putPattern(out, composePattern(section));
    for (const Instrument& instrument : all)
        for (std::int8_t sample : instrument.data) out.push_back(static_cast<std::uint8_t>(sample));
    return out;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: pagewell_make_tune <output.mod>\n");
        return 2;
    }
    const std::vector<std::uint8_t> module = composeModule();
    std::FILE* file = std::fopen(argv[1], "wb");
    if (!file) {
        std::fprintf(stderr, "pagewell_make_tune: cannot write %s\n", argv[1]);
        return 1;
    }
    const bool written = std::fwrite(module.data(), 1, module.size(), file) == module.size();
    return std::fclose(file) == 0 && written ? 0 : 1;
}
