// music_track_test.cpp — the menu's music as the build made it, decoded as a
// player's machine decodes it: loud enough and no louder, no peak near full
// scale, a loop that joins without a click or a gap, no long silence.
#include <gtest/gtest.h>
#include <vorbis/vorbisfile.h>

#include <algorithm>
#include <cmath>

#include "tools/music_measure.h"

#ifndef VELDRUNE_MUSIC_FILE
#error "VELDRUNE_MUSIC_FILE must name the generated track"
#endif

namespace {

StereoTrack Decode(const char* path, long& rate) {
    StereoTrack track;
    OggVorbis_File file;
    if (ov_fopen(path, &file) != 0) return track;
    rate = ov_info(&file, -1)->rate;
    if (ov_info(&file, -1)->channels == 2) {
        float** pcm;
        int section;
        for (long n; (n = ov_read_float(&file, &pcm, 4096, &section)) > 0;)
            for (long i = 0; i < n; ++i) {
                track.Samples.push_back(pcm[0][i]);
                track.Samples.push_back(pcm[1][i]);
            }
    }
    ov_clear(&file);
    return track;
}

}  // namespace

TEST(MusicTrack, IsALoudEnoughSeamlessLoopWithHeadroom) {
    long rate = 0;
    const StereoTrack track = Decode(VELDRUNE_MUSIC_FILE, rate);
    ASSERT_EQ(rate, MusicSampleRate);
    EXPECT_GE(double(track.Frames()), 60.0 * MusicSampleRate) << "at least a minute before it repeats";
    const double loudness = IntegratedLoudness(track);
    EXPECT_GE(loudness, -20.0);
    EXPECT_LE(loudness, -16.0);
    EXPECT_LE(TruePeakDb(track), -1.0);
    EXPECT_LE(LoopJoinRatio(track), 1.5) << "the step from the end back to the start stands out";
    EXPECT_LE(LongestSilenceSeconds(track), 2.0);
}

// The measures themselves, on tracks whose answers are known: a full-scale
// 1 kHz sine in one channel reads -3.01 LUFS, so at half scale in both it
// reads -6.02; a tone that stops has a silence, and a seam where it loops.
TEST(MusicTrack, TheMeasuresReadKnownSignals) {
    StereoTrack sine;
    for (int i = 0; i < 10 * MusicSampleRate; ++i) {
        const float s = float(0.5 * std::sin(2 * 3.14159265358979 * 1000.0 * i / MusicSampleRate));
        sine.Samples.push_back(s);
        sine.Samples.push_back(s);
    }
    EXPECT_NEAR(IntegratedLoudness(sine), -6.02, 0.1);
    EXPECT_NEAR(TruePeakDb(sine), -6.02, 0.1);
    EXPECT_EQ(LongestSilenceSeconds(sine), 0.0);
    StereoTrack cut = sine;
    std::fill(cut.Samples.begin() + long(cut.Samples.size() / 2), cut.Samples.end(), 0.0f);
    EXPECT_NEAR(LongestSilenceSeconds(cut), 5.0, 0.06);
    // Cut off mid-cycle: the loop jumps from silence back into the tone.
    StereoTrack seam = sine;
    seam.Samples.resize(seam.Samples.size() - 2 * 12);
    for (size_t i = 0; i < 2 * 12; ++i) seam.Samples[seam.Samples.size() - 1 - i] = 0.0f;
    seam.Samples[0] = seam.Samples[1] = 0.5f;
    EXPECT_GT(LoopJoinRatio(seam), 3.0);
}
