// picture_decode_test.cpp — pictures decoded ahead on the second thread are
// the pictures a plain decode gives, whoever gets to each one first: the
// thread, the game thread, or both at once. Also run under ThreadSanitizer.
#include "platform/shared/picture_decode.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <random>
#include <thread>
#include <tuple>
#include <vector>

#include "formats/png_codec.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr auto Deadline = std::chrono::seconds(30);

// [SECTION] Pictures and their plain decodes

// A black picture with one coloured block placed and sized by `seed`, so every
// picture of a batch keys and crops differently; seed 0 is all black.
std::vector<uint8_t> PictureBytes(int seed) {
    RgbaImage image;
    image.width = 24 + seed % 9;
    image.height = 16 + seed % 5;
    image.pixels.assign(size_t(image.width) * image.height * 4, 0);
    for (size_t i = 3; i < image.pixels.size(); i += 4) image.pixels[i] = 255;
    if (seed > 0)
        for (int y = seed % 4; y < image.height - seed % 3; ++y)
            for (int x = seed % 6; x < image.width - seed % 5; ++x) {
                uint8_t* p = &image.pixels[(size_t(y) * image.width + x) * 4];
                p[0] = uint8_t(seed * 37 + x);
                p[1] = uint8_t(seed * 11 + y);
                p[2] = uint8_t((x + y) % 2 ? 0 : 200);   // some exact black inside the box
            }
    std::vector<uint8_t> png;
    EXPECT_TRUE(EncodeRgbaPng(image, PngEncoding{}, png));
    return png;
}

struct Decode {
    bool Decoded = false;
    KeyedPicture Picture;
};

bool operator==(const KeyedPicture& a, const KeyedPicture& b) {
    return std::tie(a.Width, a.Height, a.CropX, a.CropY, a.CropW, a.CropH, a.Pixels) ==
           std::tie(b.Width, b.Height, b.CropX, b.CropY, b.CropW, b.CropH, b.Pixels);
}

// A batch of PNGs that live for the test, with the plain decode of each
// from a copy at another address (which was never announced).
struct Batch {
    std::vector<std::vector<uint8_t>> Pngs;   // the announced bytes
    std::vector<const uint8_t*> Data;
    std::vector<size_t> Sizes;
    std::vector<Decode> Plain;                // what DecodeKeyedPicture gives for each

    explicit Batch(int pictures) {
        for (int i = 0; i < pictures; ++i) Pngs.push_back(PictureBytes(i));
        Pngs.push_back({1, 2, 3});                                        // no PNG
        Pngs.push_back(std::vector<uint8_t>(Pngs[1].begin(), Pngs[1].end() - 20));   // cut short
        for (const auto& png : Pngs) {
            Data.push_back(png.data());
            Sizes.push_back(png.size());
            const std::vector<uint8_t> copy = png;
            Decode plain;
            plain.Decoded = DecodeKeyedPicture(copy.data(), copy.size(), plain.Picture);
            Plain.push_back(std::move(plain));
        }
    }
    int Count() const { return int(Pngs.size()); }
    void Announce() { DecodePicturesAhead(Data.data(), Sizes.data(), Count()); }

    // Takes picture `i` and checks it against its plain decode.
    void ExpectTaken(int i) const {
        Decode got;
        ASSERT_TRUE(TakePictureDecodedAhead(Data[i], Sizes[i], got.Decoded, got.Picture)) << i;
        EXPECT_EQ(got.Decoded, Plain[i].Decoded) << i;
        if (got.Decoded) {
            EXPECT_TRUE(got.Picture == Plain[i].Picture) << i;
        }
    }
    bool Take(int i) const { return TakeAt(Data[i], Sizes[i]); }
    bool TakeAt(const uint8_t* data, size_t size) const {
        Decode got;
        return TakePictureDecodedAhead(data, size, got.Decoded, got.Picture);
    }
};

// [SECTION] Holding the thread

// What the thread does when it comes to picture HoldAt.
enum class Hold {
    Opened,       // waits until the test opens the gate
    NonePending,  // waits until every picture is being decoded or done
};

// What the test asked of the decoding thread's hook and what it saw.
struct GateState {
    int HoldAt = -1;                  // the picture the thread stops before
    Hold Until = Hold::Opened;
    bool Arrived = false;             // the thread stands before HoldAt
    bool Opened = false;              // the test let it go on
    bool TimedOut = false;            // a hold outlasted the deadline
    std::vector<int> Begun;           // the pictures the thread decoded, in order
};
// The decoding thread's hook, driven by the test.
struct ThreadGate : GateState {
    std::mutex Lock;
    std::condition_variable Changed;
};
ThreadGate Gate;

void GateHook(int job) {
    std::unique_lock<std::mutex> lock(Gate.Lock);
    Gate.Begun.push_back(job);
    if (job != Gate.HoldAt) return;
    Gate.Arrived = true;
    Gate.Changed.notify_all();
    const auto deadline = Clock::now() + Deadline;
    if (Gate.Until == Hold::Opened) {
        Gate.TimedOut |= !Gate.Changed.wait_until(lock, deadline, [] { return Gate.Opened; });
        return;
    }
    lock.unlock();
    while (PicturesPendingAheadForTests() > 0 && Clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    lock.lock();
    Gate.TimedOut |= PicturesPendingAheadForTests() > 0;
}

class PicturesAhead : public ::testing::Test {
protected:
    void SetUp() override {
        std::lock_guard<std::mutex> lock(Gate.Lock);
        static_cast<GateState&>(Gate) = GateState{};
        SetDecodeAheadHookForTests(GateHook);
    }
    void TearDown() override {
        OpenGate();
        StopDecodingAhead();
        SetDecodeAheadHookForTests(nullptr);
        EXPECT_FALSE(Gate.TimedOut) << "the thread was held past the deadline";
    }
    void HoldThreadAt(int job, Hold until) {
        std::lock_guard<std::mutex> lock(Gate.Lock);
        Gate.HoldAt = job;
        Gate.Until = until;
    }
    bool ThreadArrived() {
        std::unique_lock<std::mutex> lock(Gate.Lock);
        return Gate.Changed.wait_for(lock, Deadline, [] { return Gate.Arrived; });
    }
    void OpenGate() {
        std::lock_guard<std::mutex> lock(Gate.Lock);
        Gate.Opened = true;
        Gate.Changed.notify_all();
    }
    std::vector<int> Begun() {
        std::lock_guard<std::mutex> lock(Gate.Lock);
        return Gate.Begun;
    }
};

}  // namespace

// [SECTION] Who decodes first

TEST_F(PicturesAhead, TheThreadFirstHandsOverEachPictureOnce) {
    Batch batch(5);
    batch.Announce();
    FinishDecodingAheadForTests();
    EXPECT_EQ(Begun(), (std::vector<int>{0, 1, 2, 3, 4, 5, 6})) << "the thread decodes in the order announced";
    for (int i : {3, 6, 0, 5, 1, 4, 2}) batch.ExpectTaken(i);
    for (int i = 0; i < batch.Count(); ++i) EXPECT_FALSE(batch.Take(i)) << "taken twice: " << i;
    EXPECT_TRUE(PictureBytesLiveForTheRun(batch.Data[2], batch.Sizes[2])) << "taken bytes stay announced";
}

TEST_F(PicturesAhead, TheGameThreadFirstDecodesItselfAndTheThreadLeavesThatOne) {
    Batch batch(5);
    HoldThreadAt(0, Hold::Opened);
    batch.Announce();
    batch.ExpectTaken(4);
    batch.ExpectTaken(6);
    OpenGate();
    FinishDecodingAheadForTests();
    EXPECT_EQ(Begun(), (std::vector<int>{0, 1, 2, 3, 5}));
    for (int i : {5, 0, 3, 2, 1}) batch.ExpectTaken(i);
    EXPECT_FALSE(batch.Take(4));
}

TEST_F(PicturesAhead, ClaimedWhileTheThreadDecodesItTheGameThreadDecodesTheRestMeanwhile) {
    Batch batch(5);
    // The thread stands before picture 2 until nothing is left pending, which
    // only the game thread's work on the others can bring about.
    HoldThreadAt(2, Hold::NonePending);
    batch.Announce();
    ASSERT_TRUE(ThreadArrived());
    batch.ExpectTaken(2);
    FinishDecodingAheadForTests();
    EXPECT_EQ(Begun(), (std::vector<int>{0, 1, 2})) << "the game thread took the far end";
    for (int i : {0, 6, 1, 3, 5, 4}) batch.ExpectTaken(i);
}

TEST_F(PicturesAhead, BytesNotAnnouncedAreNeitherTakenNorLive) {
    Batch batch(3);
    // Gaps and repeats in the announcement; the thread held, so that a second
    // announcement comes while the first batch runs.
    const uint8_t* data[] = {batch.Data[1], nullptr, batch.Data[1], batch.Data[2]};
    const size_t sizes[] = {batch.Sizes[1], 0, batch.Sizes[1], batch.Sizes[2]};
    HoldThreadAt(0, Hold::Opened);
    DecodePicturesAhead(data, sizes, 4);
    ASSERT_TRUE(ThreadArrived());
    DecodePicturesAhead(&batch.Data[0], &batch.Sizes[0], 1);
    EXPECT_FALSE(batch.Take(0)) << "announced while a batch ran";
    EXPECT_FALSE(PictureBytesLiveForTheRun(batch.Data[0], batch.Sizes[0]));
    const std::vector<uint8_t> copy = batch.Pngs[2];
    EXPECT_FALSE(batch.TakeAt(copy.data(), copy.size())) << "same bytes, elsewhere";
    EXPECT_FALSE(PictureBytesLiveForTheRun(copy.data(), copy.size()));
    EXPECT_FALSE(batch.TakeAt(batch.Data[2], batch.Sizes[2] - 1)) << "shorter";
    EXPECT_TRUE(PictureBytesLiveForTheRun(batch.Data[2], batch.Sizes[2]));
    OpenGate();
    FinishDecodingAheadForTests();
    EXPECT_EQ(Begun(), (std::vector<int>{0, 1})) << "a repeat is one picture";
    batch.ExpectTaken(1);
    EXPECT_FALSE(batch.Take(1));
    StopDecodingAhead();
    EXPECT_FALSE(batch.Take(2)) << "forgotten when stopped";
    EXPECT_FALSE(PictureBytesLiveForTheRun(batch.Data[2], batch.Sizes[2]));
}

// [SECTION] Both at once

TEST_F(PicturesAhead, TakenAtOnceInAnyOrderEachIsThePlainDecode) {
    SetDecodeAheadHookForTests(nullptr);
    Batch batch(14);
    std::mt19937 random(7);
    std::vector<int> order(batch.Count());
    for (int round = 0; round < 40; ++round) {
        for (int i = 0; i < batch.Count(); ++i) order[i] = i;
        std::shuffle(order.begin(), order.end(), random);
        batch.Announce();
        for (int i : order) batch.ExpectTaken(i);
        StopDecodingAhead();
    }
}
