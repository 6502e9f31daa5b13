// music_measure.cpp — loudness, true peak, the loop's join and silence of a
// stereo track at 48 kHz (see music_measure.h).
#include "tools/music_measure.h"

#include <algorithm>
#include <cmath>
#include <numbers>

// [SECTION] Loudness

namespace {

// A biquad in direct form I, coefficients normalised to a0 = 1.
struct Biquad {
    double b0, b1, b2, a1, a2;
    double x1 = 0, x2 = 0, y1 = 0, y2 = 0;
    double Step(double x) {
        const double y = b0 * x + b1 * x1 + b2 * x2 - a1 * y1 - a2 * y2;
        x2 = x1;
        x1 = x;
        y2 = y1;
        y1 = y;
        return y;
    }
};

// The K-weighting of BS.1770 at 48 kHz: a high shelf (the head) and a high
// pass (the ear's loss of the lowest notes).
Biquad HeadShelf() { return {1.53512485958697, -2.69169618940638, 1.19839281085285, -1.69065929318241, 0.73248077421585}; }
Biquad EarHighPass() { return {1.0, -2.0, 1.0, -1.99004745483398, 0.99007225036621}; }

double LoudnessOf(double meanSquare) { return -0.691 + 10.0 * std::log10(std::max(meanSquare, 1e-30)); }

}  // namespace

// Blocks of 400 ms stepped by 100 ms; blocks under -70 LUFS are dropped, then
// those more than 10 LU under the mean of the rest.
double IntegratedLoudness(const StereoTrack& track) {
    const size_t frames = track.Frames();
    std::vector<double> weighted(frames);   // sum of both channels' squares, K-weighted
    Biquad shelf[2] = {HeadShelf(), HeadShelf()};
    Biquad pass[2] = {EarHighPass(), EarHighPass()};
    for (size_t i = 0; i < frames; ++i) {
        double sum = 0;
        for (int c = 0; c < 2; ++c) {
            const double y = pass[c].Step(shelf[c].Step(track.Samples[2 * i + c]));
            sum += y * y;
        }
        weighted[i] = sum;
    }
    const size_t block = MusicSampleRate * 4 / 10, hop = MusicSampleRate / 10;
    std::vector<double> blocks;
    for (size_t start = 0; start + block <= frames; start += hop) {
        double sum = 0;
        for (size_t i = start; i < start + block; ++i) sum += weighted[i];
        blocks.push_back(sum / double(block));
    }
    auto gatedMean = [&](double gate) {
        double sum = 0;
        size_t count = 0;
        for (double b : blocks)
            if (LoudnessOf(b) > gate) sum += b, ++count;
        return count ? sum / double(count) : 0.0;
    };
    const double ungated = gatedMean(-70.0);
    if (ungated <= 0) return -70.0;
    return LoudnessOf(gatedMean(LoudnessOf(ungated) - 10.0));
}

// [SECTION] True peak

// Each channel is interpolated at three points between its samples with a
// windowed sinc of 48 taps a phase; the samples themselves count as well.
double TruePeakDb(const StereoTrack& track) {
    constexpr int Phases = 4, TapsPerPhase = 48, Half = TapsPerPhase / 2;
    double taps[Phases][TapsPerPhase];
    for (int p = 0; p < Phases; ++p)
        for (int k = 0; k < TapsPerPhase; ++k) {
            const double t = double(k - Half + 1) - double(p) / Phases;   // distance in samples
            const double x = std::numbers::pi * t;
            const double sinc = t == 0 ? 1.0 : std::sin(x) / x;
            const double w = 0.5 + 0.5 * std::cos(std::numbers::pi * t / (Half + 1));   // Hann
            taps[p][k] = sinc * w;
        }
    const long frames = long(track.Frames());
    double peak = 0;
    for (int c = 0; c < 2; ++c)
        for (long n = 0; n < frames; ++n) {
            peak = std::max(peak, double(std::fabs(track.Samples[2 * n + c])));
            for (int p = 1; p < Phases; ++p) {
                double y = 0;
                for (int k = 0; k < TapsPerPhase; ++k) {
                    const long at = n + k - Half + 1;
                    if (at >= 0 && at < frames) y += taps[p][k] * track.Samples[2 * at + c];
                }
                peak = std::max(peak, std::fabs(y));
            }
        }
    return 20.0 * std::log10(std::max(peak, 1e-12));
}

// [SECTION] Loop and silence

double LoopJoinRatio(const StereoTrack& track) {
    const size_t frames = track.Frames();
    if (frames < 2) return 1e9;
    std::vector<float> steps;
    steps.reserve(2 * frames);
    for (size_t i = 1; i < frames; ++i)
        for (int c = 0; c < 2; ++c) steps.push_back(std::fabs(track.Samples[2 * i + c] - track.Samples[2 * (i - 1) + c]));
    const size_t at = steps.size() * 999 / 1000;
    std::nth_element(steps.begin(), steps.begin() + long(at), steps.end());
    const double typical = std::max(double(steps[at]), 1e-9);
    double join = 0;
    for (int c = 0; c < 2; ++c)
        join = std::max(join, double(std::fabs(track.Samples[c] - track.Samples[2 * (frames - 1) + c])));
    return join / typical;
}

double LongestSilenceSeconds(const StereoTrack& track) {
    const size_t window = MusicSampleRate / 20;
    const double quiet = std::pow(10.0, -60.0 / 20.0);
    size_t run = 0, longest = 0;
    for (size_t start = 0; start + window <= track.Frames(); start += window) {
        double sum = 0;
        for (size_t i = 2 * start; i < 2 * (start + window); ++i) sum += double(track.Samples[i]) * track.Samples[i];
        const bool silent = std::sqrt(sum / double(2 * window)) < quiet;
        run = silent ? run + 1 : 0;
        longest = std::max(longest, run);
    }
    return double(longest * window) / MusicSampleRate;
}
