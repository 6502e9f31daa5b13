// picture_decode.cpp — keyed, cropped decoding of PNG pictures, and the
// thread that decodes the program's pictures ahead while its screen opens.
#include "platform/shared/picture_decode.h"

#include <algorithm>
#include <cassert>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "formats/png_codec.h"

// [SECTION] Keyed, cropped decoding

namespace {

// A decoded RGBA pixel read as one little-endian word: red in the low byte.
inline uint32_t RgbOf(uint32_t rgbaWord) { return rgbaWord & 0x00FFFFFFu; }

}  // namespace

bool DecodeKeyedPicture(const uint8_t* png, size_t size, KeyedPicture& out) {
    out = KeyedPicture{};
    RgbaImage image;
    if (!DecodePng(png, size, image)) return false;
    const int w = image.width, h = image.height;
    const auto row = [&](int y) { return reinterpret_cast<const uint32_t*>(image.pixels.data()) + size_t(y) * w; };
    // The box of the pixels that are not exact black. Most rows of a
    // backdrop are black from end to end: one pass finds that.
    int left = w, right = -1, top = h, bottom = -1;
    for (int y = 0; y < h; ++y) {
        const uint32_t* r = row(y);
        int first = 0;
        while (first < w && RgbOf(r[first]) == 0) ++first;
        if (first == w) continue;
        int last = w - 1;
        while (RgbOf(r[last]) == 0) --last;
        left = std::min(left, first);
        right = std::max(right, last);
        if (top > y) top = y;
        bottom = y;
    }
    out.Width = w;
    out.Height = h;
    if (right < 0) return true;   // nothing visible: nothing held
    out.CropX = left;
    out.CropY = top;
    out.CropW = right - left + 1;
    out.CropH = bottom - top + 1;
    out.Pixels.resize(size_t(out.CropW) * out.CropH);
    uint32_t* o = out.Pixels.data();
    for (int y = top; y <= bottom; ++y) {
        const uint32_t* r = row(y) + left;
        for (int x = 0; x < out.CropW; ++x) {
            const uint32_t v = r[x];   // RGBA bytes, red in the low byte
            *o++ = KeyedOnBlack(((v & 0xFFu) << 16) | (v & 0xFF00u) | ((v >> 16) & 0xFFu));
        }
    }
    return true;
}

// [SECTION] Decoding ahead

namespace {

struct AheadJob {
    const uint8_t* Png = nullptr;       // the announced bytes (live for the run)
    size_t Size = 0;
    enum Stage { Pending, Working, Done, Taken } State = Pending;
    bool Decoded = false;               // Done: whether the bytes were a readable PNG
    KeyedPicture Picture;               // Done: the result, until taken
};

// One batch of announced pictures and the thread working through it. The
// game thread takes results; the lock guards every job's state and result.
struct DecodeAheadState {
    std::mutex Lock;
    std::condition_variable Finished;   // a job became Done
    std::vector<AheadJob> Jobs;         // in the order announced
    std::thread Worker;                 // runs until every job is claimed
    void (*Hook)(int job) = nullptr;    // tests only: called before the worker decodes a job
    // A program that ends without its shutdown (Xlib exits when the X server
    // goes away) must not be aborted for a worker never joined: it has
    // finished, or finishes the picture in hand.
    ~DecodeAheadState() {
        if (Worker.joinable()) Worker.join();
    }
};
DecodeAheadState Ahead;

AheadJob* FindJob(const uint8_t* png, size_t size) {
    for (AheadJob& job : Ahead.Jobs)
        if (job.Png == png && job.Size == size) return &job;
    return nullptr;
}

void DecodeJobs() {
    for (size_t i = 0;; ++i) {
        std::unique_lock<std::mutex> lock(Ahead.Lock);
        if (i >= Ahead.Jobs.size()) return;
        AheadJob& job = Ahead.Jobs[i];
        if (job.State != AheadJob::Pending) continue;   // the game thread took it on itself
        job.State = AheadJob::Working;
        const uint8_t* png = job.Png;
        const size_t size = job.Size;
        lock.unlock();
        if (Ahead.Hook) Ahead.Hook(int(i));
        KeyedPicture picture;
        const bool decoded = DecodeKeyedPicture(png, size, picture);
        lock.lock();
        // The vector is not resized while the worker runs, so `job` still stands.
        job.Decoded = decoded;
        job.Picture = std::move(picture);
        job.State = AheadJob::Done;
        Ahead.Finished.notify_all();
    }
}

}  // namespace

void DecodePicturesAhead(const uint8_t* const* pngs, const size_t* sizes, int count) {
    if (Ahead.Worker.joinable() || count <= 0) return;
    {
        std::lock_guard<std::mutex> lock(Ahead.Lock);
        Ahead.Jobs.clear();
        for (int i = 0; i < count; ++i)
            if (pngs[i] != nullptr && !FindJob(pngs[i], sizes[i])) {
                AheadJob job;
                job.Png = pngs[i];
                job.Size = sizes[i];
                Ahead.Jobs.push_back(std::move(job));
            }
    }
    try {
        Ahead.Worker = std::thread(DecodeJobs);
    } catch (...) {
        // No thread: every picture is decoded by the game thread when taken.
    }
}

bool TakePictureDecodedAhead(const uint8_t* png, size_t size, bool& decoded, KeyedPicture& out) {
    std::unique_lock<std::mutex> lock(Ahead.Lock);
    AheadJob* job = FindJob(png, size);
    if (!job || job->State == AheadJob::Taken) return false;
    if (job->State == AheadJob::Pending) {
        // The thread has not got here yet: decode it on this thread, beside it.
        job->State = AheadJob::Taken;
        lock.unlock();
        decoded = DecodeKeyedPicture(png, size, out);
        return true;
    }
    // The thread is on it. Meanwhile this thread decodes pictures the thread
    // has not got to yet, from the far end, so both cores work.
    while (job->State != AheadJob::Done) {
        AheadJob* spare = nullptr;
        for (auto it = Ahead.Jobs.rbegin(); it != Ahead.Jobs.rend() && !spare; ++it)
            if (it->State == AheadJob::Pending) spare = &*it;
        if (!spare) {
            Ahead.Finished.wait(lock, [job] { return job->State == AheadJob::Done; });
            break;
        }
        spare->State = AheadJob::Working;
        lock.unlock();
        KeyedPicture picture;
        const bool ok = DecodeKeyedPicture(spare->Png, spare->Size, picture);
        lock.lock();
        spare->Decoded = ok;
        spare->Picture = std::move(picture);
        spare->State = AheadJob::Done;
        Ahead.Finished.notify_all();
    }
    job->State = AheadJob::Taken;
    decoded = job->Decoded;
    out = std::move(job->Picture);
    job->Picture = KeyedPicture{};
    return true;
}

bool PictureBytesLiveForTheRun(const uint8_t* png, size_t size) {
    std::lock_guard<std::mutex> lock(Ahead.Lock);
    return FindJob(png, size) != nullptr;
}

void StopDecodingAhead() {
    if (Ahead.Worker.joinable()) Ahead.Worker.join();
    std::lock_guard<std::mutex> lock(Ahead.Lock);
    Ahead.Jobs.clear();
}

// [SECTION] Views for the tests

void SetDecodeAheadHookForTests(void (*hook)(int job)) {
    assert(!Ahead.Worker.joinable() && "the hook is changed while a batch runs");
    Ahead.Hook = hook;
}

int PicturesPendingAheadForTests() {
    std::lock_guard<std::mutex> lock(Ahead.Lock);
    return int(std::count_if(Ahead.Jobs.begin(), Ahead.Jobs.end(),
                             [](const AheadJob& job) { return job.State == AheadJob::Pending; }));
}

void FinishDecodingAheadForTests() {
    if (Ahead.Worker.joinable()) Ahead.Worker.join();
}
