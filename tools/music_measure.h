// music_measure.h — what the menu's music track is checked by: integrated
// loudness (K-weighted and gated, after ITU-R BS.1770), true peak (4 times
// oversampled), the join of its loop and its longest silence. Used by the
// generator, which sets the track's level with it, and by the track's test,
// which measures the decoded file again.
#pragma once

#include <cstddef>
#include <vector>

// [SECTION] Measures

// Interleaved stereo samples at 48 kHz, full scale 1.0.
struct StereoTrack {
    std::vector<float> Samples;   // left, right, left, right, ...
    size_t Frames() const { return Samples.size() / 2; }
};

constexpr int MusicSampleRate = 48000;

// Integrated loudness in LUFS; -70 or less for silence.
double IntegratedLoudness(const StereoTrack& track);
// The highest peak between and on the samples, in dBTP (dB of full scale).
double TruePeakDb(const StereoTrack& track);
// How far the step from the last frame back to the first stands out: that
// step divided by the 99.9th percentile of the steps between neighbouring
// samples inside the track. Up to about 1 the loop joins as smoothly as the
// music moves anywhere; a click or a gap gives far more.
double LoopJoinRatio(const StereoTrack& track);
// The longest run, in seconds, of 50 ms windows quieter than -60 dBFS (RMS).
double LongestSilenceSeconds(const StereoTrack& track);
