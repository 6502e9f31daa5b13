// make_music.cpp — composes and renders the menu's music and writes it as an
// Ogg Vorbis file: sixteen bars in A minor at 60 beats a minute (64 s), a pad
// of soft chords over a bass, a melody above them, all in a hall's reverb,
// made to loop without a seam.
//
//   make_music OUTPUT.ogg
//
// The build runs it and builds the file into the program. The output is
// deterministic: no randomness, no time, fixed encoder settings and stream
// number, so the same libvorbis gives the same bytes.
#include <vorbis/vorbisenc.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <numbers>
#include <vector>

#include "tools/music_measure.h"

// [SECTION] The score

namespace {

constexpr int Rate = MusicSampleRate;
constexpr double BeatSeconds = 1.0;          // 60 beats a minute
constexpr int BeatsPerBar = 4;
constexpr int Bars = 16;
constexpr long LoopFrames = long(Bars * BeatsPerBar * BeatSeconds * Rate);   // 64 s exactly

// The loudness the level is set to, in the middle of what a menu should
// have: heard, never louder than the game's own sounds will be.
constexpr double TargetLoudness = -18.0;

struct Chord {
    int Bass;          // MIDI note of the bass
    int Pad[3];        // the pad's voicing, kept close from chord to chord
};

// One chord a bar: Am F C G | Am Dm E E | F C Dm Am | F G E E7, back to Am.
const Chord Chords[Bars] = {
    {45, {57, 60, 64}}, {41, {57, 60, 65}}, {48, {55, 60, 64}}, {43, {55, 59, 62}},
    {45, {57, 60, 64}}, {38, {57, 62, 65}}, {40, {56, 59, 64}}, {40, {56, 59, 64}},
    {41, {57, 60, 65}}, {48, {55, 60, 64}}, {38, {57, 62, 65}}, {45, {57, 60, 64}},
    {41, {57, 60, 65}}, {43, {55, 59, 62}}, {40, {56, 59, 64}}, {40, {56, 62, 64}},
};

struct MelodyNote {
    int Bar;
    double Beat, Beats;   // start within the bar, length
    int Note;             // MIDI
};

// Mostly chord tones, moving by steps; the last bar leads back to the first
// note (D to E), so the loop's turn sounds like the phrase going on.
const MelodyNote Melody[] = {
    {0, 0, 2, 76}, {0, 2, 1, 74}, {0, 3, 1, 72},
    {1, 0, 3, 72}, {1, 3, 1, 69},
    {2, 0, 2, 72}, {2, 2, 2, 76},
    {3, 0, 3, 74}, {3, 3, 1, 71},
    {4, 0, 2, 72}, {4, 2, 1, 71}, {4, 3, 1, 69},
    {5, 0, 2, 77}, {5, 2, 2, 74},
    {6, 0, 3, 71}, {6, 3, 1, 68},
    {7, 0, 4, 71},
    {8, 0, 2, 69}, {8, 2, 1, 72}, {8, 3, 1, 77},
    {9, 0, 3, 76}, {9, 3, 1, 74},
    {10, 0, 2, 72}, {10, 2, 2, 74},
    {11, 0, 2, 76}, {11, 2, 2, 72},
    {12, 0, 2, 72}, {12, 2, 1, 74}, {12, 3, 1, 76},
    {13, 0, 3, 74}, {13, 3, 1, 71},
    {14, 0, 2, 68}, {14, 2, 2, 71},
    {15, 0, 3, 71}, {15, 3, 1, 74},
};

double NoteHz(double midi) { return 440.0 * std::pow(2.0, (midi - 69.0) / 12.0); }

// [SECTION] Voices

// One cycle of a soft, band-limited wave, read with linear interpolation.
struct WaveTable {
    static constexpr int Size = 4096;
    std::vector<float> Cycle = std::vector<float>(Size + 1);
    float At(double phase) const {   // phase in cycles, 0..1
        const double x = phase * Size;
        const int i = int(x);
        const float f = float(x - i);
        return Cycle[i] + f * (Cycle[i + 1] - Cycle[i]);
    }
};

// Harmonic n at 1 / n^rolloff: a gentle saw for the pad, nearly a sine for the
// melody and the bass.
WaveTable MakeTable(int harmonics, double rolloff) {
    WaveTable table;
    for (int i = 0; i <= WaveTable::Size; ++i) {
        double sum = 0;
        for (int n = 1; n <= harmonics; ++n)
            sum += std::sin(2 * std::numbers::pi * n * i / WaveTable::Size) / std::pow(n, rolloff);
        table.Cycle[i] = float(sum);
    }
    float peak = 0;
    for (float v : table.Cycle) peak = std::max(peak, std::fabs(v));
    for (float& v : table.Cycle) v /= peak;
    return table;
}

// A note of one voice: attack, a slow fall to the sustain level while held,
// and an exponential release after it. Every note starts its oscillators at
// phase 0, so a note sounds the same in every pass of the loop.
struct Voice {
    const WaveTable* Table;
    double Attack, Decay, Sustain, Release;   // seconds, seconds, level, seconds
    double Gain, Pan;                         // pan -1 left .. 1 right
    double Detune[3];                         // cents of up to three oscillators (0 ends the list after the first)
    int Oscillators;
    double VibratoHz, VibratoCents;           // the melody's vibrato, coming in after the attack
};

// Adds one note to the stereo mix (and its share to the reverb's input).
void RenderNote(const Voice& v, double midi, long startFrame, double heldSeconds, std::vector<float>& dry,
                std::vector<float>& send, double sendLevel) {
    const double tailSeconds = v.Release * 5;
    const long frames = long((heldSeconds + tailSeconds) * Rate);
    const double left = std::cos((v.Pan + 1) * std::numbers::pi / 4), right = std::sin((v.Pan + 1) * std::numbers::pi / 4);
    double phase[3] = {0, 0, 0};
    double step[3];
    for (int o = 0; o < v.Oscillators; ++o) step[o] = NoteHz(midi + v.Detune[o] / 100.0) / Rate;
    // The two exponentials advance by one factor a sample.
    const double decayStep = std::exp(-1.0 / (v.Decay * Rate)), releaseStep = std::exp(-1.0 / (v.Release * Rate));
    double decaying = 1.0, env = 0.0;
    for (long i = 0; i < frames; ++i) {
        const double t = double(i) / Rate;
        if (t < heldSeconds) {
            const double rise = t < v.Attack ? 0.5 - 0.5 * std::cos(std::numbers::pi * t / v.Attack) : 1.0;
            env = rise * (v.Sustain + (1 - v.Sustain) * decaying);
            decaying *= decayStep;
        } else {
            env *= releaseStep;
        }
        const long at = startFrame + i;
        if (at < 0 || at >= long(dry.size() / 2)) continue;
        double vib = 1.0;
        if (v.VibratoCents > 0 && t > v.Attack) {
            const double depth = std::min(1.0, (t - v.Attack) / 0.6) * v.VibratoCents;
            vib = std::pow(2.0, depth * std::sin(2 * std::numbers::pi * v.VibratoHz * t) / 1200.0);
        }
        double s = 0;
        for (int o = 0; o < v.Oscillators; ++o) {
            s += v.Table->At(phase[o]);
            phase[o] += step[o] * vib;
            phase[o] -= std::floor(phase[o]);
        }
        s *= env * v.Gain / v.Oscillators;
        dry[2 * at] += float(s * left);
        dry[2 * at + 1] += float(s * right);
        send[2 * at] += float(s * left * sendLevel);
        send[2 * at + 1] += float(s * right * sendLevel);
    }
}

// [SECTION] Reverb

// Eight damped combs in parallel and four all-passes in series per channel,
// the right channel's delays a little longer than the left's so the hall is
// wide. Linear and time-invariant: a signal that repeats gives a reverb that
// repeats once the first pass has built up.
struct Comb {
    std::vector<float> Line;
    size_t At = 0;
    float Store = 0;
    float Process(float x, float feedback, float damp) {
        const float y = Line[At];
        Store = y * (1 - damp) + Store * damp;
        Line[At] = x + Store * feedback;
        if (++At == Line.size()) At = 0;
        return y;
    }
};

struct AllPass {
    std::vector<float> Line;
    size_t At = 0;
    float Process(float x) {
        const float b = Line[At];
        const float y = -x + b;
        Line[At] = x + b * 0.5f;
        if (++At == Line.size()) At = 0;
        return y;
    }
};

void Reverberate(const std::vector<float>& send, std::vector<float>& mix, double wet) {
    // Delays in samples at 44.1 kHz, scaled to our rate; a hall of about 3 s.
    const int CombDelays[8] = {1557, 1617, 1491, 1422, 1277, 1356, 1188, 1116};
    const int AllPassDelays[4] = {225, 556, 441, 341};
    const int Spread = 23;
    const float Feedback = 0.86f, Damp = 0.35f;
    for (int c = 0; c < 2; ++c) {
        Comb combs[8];
        AllPass passes[4];
        for (int i = 0; i < 8; ++i) combs[i].Line.assign(size_t((CombDelays[i] + c * Spread) * Rate / 44100), 0.0f);
        for (int i = 0; i < 4; ++i) passes[i].Line.assign(size_t((AllPassDelays[i] + c * Spread) * Rate / 44100), 0.0f);
        for (size_t n = 0; n < send.size() / 2; ++n) {
            const float x = send[2 * n + c] * 0.05f;
            float y = 0;
            for (Comb& comb : combs) y += comb.Process(x, Feedback, Damp);
            for (AllPass& pass : passes) y = pass.Process(y);
            mix[2 * n + c] += float(y * wet);
        }
    }
}

// [SECTION] Rendering

// Renders two passes of the loop and keeps the second: it holds the notes
// that ring on from the end of the first and the reverb of the first, just
// as every pass after the first will, so its end joins its start.
StereoTrack Render() {
    const WaveTable padWave = MakeTable(12, 1.6);
    const WaveTable softWave = MakeTable(3, 2.5);
    const Voice pad{&padWave, 1.6, 3.0, 0.7, 1.4, 0.16, 0.0, {-7, 0, 6}, 3, 0, 0};
    const Voice bass{&softWave, 0.25, 2.5, 0.6, 0.8, 0.30, 0.0, {0, 0, 0}, 1, 0, 0};
    const Voice melody{&softWave, 0.09, 1.2, 0.55, 0.5, 0.22, 0.15, {0, 0, 0}, 1, 5.0, 9.0};
    const double padPans[3] = {-0.5, 0.1, 0.5};
    const long barFrames = long(BeatsPerBar * BeatSeconds * Rate);

    std::vector<float> dry(size_t(2 * LoopFrames * 2), 0.0f), send(dry.size(), 0.0f);
    for (int pass = 0; pass < 2; ++pass) {
        const long passStart = pass * LoopFrames;
        for (int bar = 0; bar < Bars; ++bar) {
            const long start = passStart + bar * barFrames;
            const double held = BeatsPerBar * BeatSeconds;
            for (int i = 0; i < 3; ++i) {
                Voice v = pad;
                v.Pan = padPans[i];
                RenderNote(v, Chords[bar].Pad[i], start, held, dry, send, 0.9);
            }
            RenderNote(bass, Chords[bar].Bass, start, held, dry, send, 0.4);
        }
        for (const MelodyNote& note : Melody) {
            const long start = passStart + note.Bar * barFrames + long(note.Beat * BeatSeconds * Rate);
            RenderNote(melody, note.Note, start, note.Beats * BeatSeconds * 0.95, dry, send, 1.0);
        }
    }
    Reverberate(send, dry, 1.0);

    StereoTrack track;
    track.Samples.assign(dry.begin() + 2 * LoopFrames, dry.end());
    return track;
}

// Sets the level to the target loudness.
void SetLevel(StereoTrack& track) {
    const double gain = std::pow(10.0, (TargetLoudness - IntegratedLoudness(track)) / 20.0);
    for (float& s : track.Samples) s = float(s * gain);
}

// [SECTION] Encoding

bool WriteOggVorbis(const StereoTrack& track, const char* path) {
    FILE* out = std::fopen(path, "wb");
    if (!out) return false;
    vorbis_info info;
    vorbis_info_init(&info);
    // Quality 0.2 (about 80 kbit/s here): the pad and the reverb are soft,
    // and the program carries the file.
    if (vorbis_encode_init_vbr(&info, 2, Rate, 0.2f) != 0) return false;
    vorbis_comment comment;
    vorbis_comment_init(&comment);
    vorbis_comment_add_tag(&comment, "TITLE", "Veldrune menu");
    vorbis_dsp_state dsp;
    vorbis_block block;
    vorbis_analysis_init(&dsp, &info);
    vorbis_block_init(&dsp, &block);
    ogg_stream_state stream;
    ogg_stream_init(&stream, 0x56454c44);   // a fixed stream number: the same file every time
    ogg_packet header, headerComment, headerCode;
    vorbis_analysis_headerout(&dsp, &comment, &header, &headerComment, &headerCode);
    ogg_stream_packetin(&stream, &header);
    ogg_stream_packetin(&stream, &headerComment);
    ogg_stream_packetin(&stream, &headerCode);
    ogg_page page;
    bool ok = true;
    auto writePage = [&] { ok = ok && std::fwrite(page.header, 1, size_t(page.header_len), out) == size_t(page.header_len) &&
                                std::fwrite(page.body, 1, size_t(page.body_len), out) == size_t(page.body_len); };
    while (ogg_stream_flush(&stream, &page) != 0) writePage();

    const long chunk = 4096;
    bool ended = false;
    for (long done = 0; !ended;) {
        const long count = std::min(chunk, long(track.Frames()) - done);
        if (count > 0) {
            float** buffer = vorbis_analysis_buffer(&dsp, int(count));
            for (long i = 0; i < count; ++i) {
                buffer[0][i] = track.Samples[2 * (done + i)];
                buffer[1][i] = track.Samples[2 * (done + i) + 1];
            }
            vorbis_analysis_wrote(&dsp, int(count));
            done += count;
        } else {
            vorbis_analysis_wrote(&dsp, 0);   // the end of the stream
        }
        while (vorbis_analysis_blockout(&dsp, &block) == 1) {
            vorbis_analysis(&block, nullptr);
            vorbis_bitrate_addblock(&block);
            ogg_packet packet;
            while (vorbis_bitrate_flushpacket(&dsp, &packet)) {
                ogg_stream_packetin(&stream, &packet);
                while (ogg_stream_pageout(&stream, &page) != 0) {
                    writePage();
                    if (ogg_page_eos(&page)) ended = true;
                }
            }
        }
    }
    ogg_stream_clear(&stream);
    vorbis_block_clear(&block);
    vorbis_dsp_clear(&dsp);
    vorbis_comment_clear(&comment);
    vorbis_info_clear(&info);
    return std::fclose(out) == 0 && ok;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_music OUTPUT.ogg\n");
        return 2;
    }
    StereoTrack track = Render();
    SetLevel(track);
    if (!WriteOggVorbis(track, argv[1])) {
        std::fprintf(stderr, "make_music: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
