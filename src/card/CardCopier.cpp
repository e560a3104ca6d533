// The card copy: per clip, the calling thread reads the source into a ring
// of buffers while one thread per target writes, flushes and reads back;
// the calling thread meanwhile moves the progress, pumps it and records the
// clip on each target whose writer ended whole.
#include "CardCopier.h"

#include "CDisk.h"
#include "ClipVerifier.h"
#include "FrameDigests.h"
#include "FrameRing.h"
#include "FrameTransfer.h"
#include "Interaction.h"
#include "Log.h"
#include "Progress.h"
#include "Texts.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>

namespace {

// Frames between the reader and the slowest writer: 8 MB.
constexpr int kRingFrames = 58;
// How often the calling thread pumps the progress while it waits.
constexpr std::chrono::milliseconds kPumpEvery(20);

// The messages a target's card shows while its writer runs: kept (the
// first one) to be shown by name on the calling thread. Questions are
// answered No.
class CTargetMessages : public IInteraction {
public:
    explicit CTargetMessages(bool file) : file_(file) {}
    int Show(int id, unsigned flags, const std::string& text) override
    {
        if (first_.empty()) {
            // A backup file's faults are the disk's it lies on, not a card's.
            const bool ioFault = id == kIdsCardWriteError || id == kIdsCardAccessError;
            first_ = file_ && ioFault ? LoadText(kIdsBackupFileError) : text;
        }
        return (flags & kMbYesNo) == kMbYesNo ? kIdNo : kIdOk;
    }
    const std::string& First() const { return first_; }

private:
    bool file_;
    std::string first_;
};

// A writer's progress: its position and abort flag, read by the calling
// thread. `base` counts the steps of the clips before and of the phase
// before (writing, when it reads back).
class CTargetProgress : public IProgress {
public:
    void Begin(int) override { aborted_ = false; }
    void Set(int position) override { position_ = position; }
    bool Pump() override { return aborted_; }
    void SetAbort() override { aborted_ = true; }
    bool Aborted() const override { return aborted_; }
    void End() override {}
    long long Done() const { return base_ + position_; }
    void SetBase(long long base)
    {
        position_ = 0;
        base_ = base;
    }

private:
    std::atomic<long long> base_{0};
    std::atomic<int> position_{0};
    std::atomic<bool> aborted_{false};
};

// The source's clusters, read by the calling thread and by the writers'
// read-backs, one at a time.
class CSourceReader {
public:
    explicit CSourceReader(CDisk& disk) : disk_(disk) {}
    bool Read(int cluster, std::uint8_t* buffer)
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (disk_.ReadCluster(cluster, buffer))
            return true;
        failed_ = true;
        return false;
    }
    bool Failed() const { return failed_; }

private:
    CDisk& disk_;
    std::mutex mutex_;
    std::atomic<bool> failed_{false};
};

// One target while the copy runs.
struct TargetRun {
    int index = 0;          // in the targets given
    CopyTarget* target = nullptr;
    std::unique_ptr<CTargetMessages> messages;
    IInteraction* formerUi = nullptr;
    CTargetProgress progress;
    long long total = 0;    // its steps over the whole copy
    int shownPercent = -1;  // of its last TargetProgress
    bool writing = false;   // its writer runs for the current clip
};

class CCopyRun {
public:
    CCopyRun(CDisk& source, std::vector<CopyTarget>& targets, IProgress& progress, IInteraction* ui,
             ICardCopyView* view, bool verify)
        : source_(source), progress_(progress), ui_(ui), view_(view), verify_(verify), reader_(source),
          ring_(kRingFrames)
    {
        for (CopyTarget& t : targets) {
            auto run = std::make_unique<TargetRun>();
            run->index = static_cast<int>(runs_.size());
            run->target = &t;
            run->messages = std::make_unique<CTargetMessages>(t.file);
            runs_.push_back(std::move(run));
        }
    }

    int Run();

private:
    long long StepsPerTarget() const;
    bool Live(const TargetRun& r) const { return r.target->state == kTargetPending; }
    void Fail(int index, TargetRun& r);
    void End(int index, TargetRun& r, int state);
    bool CopyClip(std::size_t clip);
    void Writer(TargetRun& r, int writer, const CopiedClip& clip);
    // Moves the progress and pumps it: false once Abort was pressed.
    bool Pump();

    CDisk& source_;
    IProgress& progress_;
    IInteraction* ui_;
    ICardCopyView* view_;
    bool verify_;
    CSourceReader reader_;
    CFrameRing ring_;
    std::vector<std::unique_ptr<TargetRun>> runs_;
    bool stopped_ = false;
    std::mutex doneMutex_;
    std::condition_variable doneCv_;
    int writersRunning_ = 0;
};

long long CCopyRun::StepsPerTarget() const
{
    const CardCopyPlan& plan = runs_.front()->target->plan;
    return plan.framesNeeded * (verify_ ? 2 : 1) + 1;
}

void CCopyRun::End(int index, TargetRun& r, int state)
{
    r.target->state = state;
    if (view_ != nullptr)
        view_->TargetEnded(index, *r.target);
}

void CCopyRun::Fail(int index, TargetRun& r)
{
    r.target->failure = r.messages->First();
    if (r.target->failure.empty())
        r.target->failure = LoadText(r.target->file ? kIdsBackupFileError : kIdsCardWriteError);
    LogMessage("copy: target %s failed: %s", r.target->name.c_str(), r.target->failure.c_str());
    if (ui_ != nullptr)
        ShowMessage(*ui_, r.target->file ? kIdsBackupFailed : kIdsCopyTargetFailed, kMsgError,
                    r.target->name.c_str(), r.target->failure.c_str());
    End(index, r, kTargetFailed);
}

bool CCopyRun::Pump()
{
    long long sum = 0;
    for (std::size_t i = 0; i < runs_.size(); ++i) {
        TargetRun& r = *runs_[i];
        const long long done = Live(r) ? r.progress.Done() : r.total;
        sum += done;
        const int percent = r.total > 0 ? static_cast<int>(done * 100 / r.total) : 100;
        if (Live(r) && percent != r.shownPercent && view_ != nullptr) {
            r.shownPercent = percent;
            view_->TargetProgress(static_cast<int>(i), *r.target, done, r.total);
        }
    }
    progress_.Set(static_cast<int>(sum / static_cast<long long>(runs_.size())));
    if (progress_.Pump())
        stopped_ = true;
    return !stopped_;
}

void CCopyRun::Writer(TargetRun& r, int writer, const CopiedClip& clip)
{
    CDisk& disk = *r.target->disk;
    const int first = clip.targetCluster;
    // The read-back compares the card with what was handed to it, so the
    // source is read once for every target.
    CFrameDigests written;
    TransferFrames(
        clip.frames, r.progress, ProgressStep::kSetThenPump,
        [&](int f, std::uint8_t* buffer) { return ring_.Take(writer, f, buffer); },
        [&](int f, const std::uint8_t* buffer) {
            if (disk.WriteCluster(first + f, buffer) == 0)
                return false;
            if (verify_)
                written.Record(f, buffer);
            return true;
        });
    ring_.Leave(writer);
    // The frames are on the card before they are read back and recorded.
    if (!r.progress.Aborted() && !disk.Flush())
        r.progress.SetAbort();
    if (!r.progress.Aborted() && verify_) {
        r.progress.SetBase(r.progress.Done());
        int mismatch = -1;
        VerifyClip(disk, first, written, r.progress, mismatch);
    }
    {
        std::lock_guard<std::mutex> lock(doneMutex_);
        --writersRunning_;
    }
    doneCv_.notify_all();
}

bool CCopyRun::CopyClip(std::size_t index)
{
    const CopiedClip& clip = runs_.front()->target->plan.clips[index];
    std::vector<TargetRun*> writing;
    for (auto& r : runs_) {
        r->writing = Live(*r);
        if (r->writing)
            writing.push_back(r.get());
    }
    if (writing.empty())
        return false;
    ring_.Start(static_cast<int>(writing.size()));
    writersRunning_ = static_cast<int>(writing.size());
    std::vector<long long> bases;
    std::vector<std::thread> threads;
    for (std::size_t w = 0; w < writing.size(); ++w) {
        TargetRun& r = *writing[w];
        bases.push_back(r.progress.Done());
        r.progress.SetBase(r.progress.Done());
        try {
            threads.emplace_back([this, &r, w, &placed = r.target->plan.clips[index]] {
                Writer(r, static_cast<int>(w), placed);
            });
        } catch (const std::system_error&) {
            // No thread for this target (the system has none left): it
            // fails like a target whose writes fail, and the others go on.
            LogMessage("copy: no writer thread for %s", r.target->name.c_str());
            r.progress.SetAbort();
            ring_.Leave(static_cast<int>(w));
            std::lock_guard<std::mutex> lock(doneMutex_);
            --writersRunning_;
        }
    }

    // The source, read once for every writer.
    for (int f = 0; f < clip.frames && !stopped_; ++f) {
        bool free = false;
        while (!free && !ring_.Cancelled()) {
            free = ring_.WaitForBuffer(f, kPumpEvery);
            if (!Pump())
                ring_.Cancel();
        }
        // Nobody takes the rest when every writer has stopped.
        if (!free || !ring_.AnyTaking())
            break;
        if (!reader_.Read(clip.sourceCluster + f, ring_.Buffer(f))) {
            ring_.Cancel();
            break;
        }
        ring_.Publish(f);
    }
    for (;;) {
        std::unique_lock<std::mutex> lock(doneMutex_);
        if (doneCv_.wait_for(lock, kPumpEvery, [&] { return writersRunning_ == 0; }))
            break;
        lock.unlock();
        if (!Pump() || reader_.Failed()) {
            ring_.Cancel();
            for (TargetRun* r : writing)
                r->progress.SetAbort();
        }
    }
    for (std::thread& t : threads)
        t.join();

    for (std::size_t w = 0; w < writing.size(); ++w) {
        TargetRun& r = *writing[w];
        const int number = r.index;
        if (stopped_ || reader_.Failed()) {
            End(number, r, kTargetStopped);
            continue;
        }
        if (r.progress.Aborted()) {
            Fail(number, r);
            continue;
        }
        const CopiedClip& placed = r.target->plan.clips[index];
        ClipRecord record = source_.Clips()[static_cast<std::size_t>(placed.slot)];
        record.firstSector = CDisk::SectorOfCluster(static_cast<std::uint32_t>(placed.targetCluster));
        if (!r.target->disk->RecordClip(placed.slot, record).Stored()) {
            Fail(number, r);
            continue;
        }
        ++r.target->clipsRecorded;
        // Its steps of this clip, whatever the read-back counted.
        r.progress.SetBase(bases[w] + static_cast<long long>(clip.frames) * (verify_ ? 2 : 1));
    }
    return !stopped_ && !reader_.Failed();
}

int CCopyRun::Run()
{
    const long long steps = StepsPerTarget();
    progress_.Begin(static_cast<int>(steps));
    progress_.SetCaption(kIdsCopyingCard);
    IInteraction* sourceUi = source_.Interaction();
    // A source read fails on the calling thread or in a read-back; its
    // message is shown here, once.
    source_.SetInteraction(nullptr);
    for (std::size_t i = 0; i < runs_.size(); ++i) {
        TargetRun& r = *runs_[i];
        r.total = steps;
        r.formerUi = r.target->disk->Interaction();
        r.target->disk->SetInteraction(r.messages.get());
        r.target->state = kTargetPending;
        r.target->clipsRecorded = 0;
        r.target->failure.clear();
        // The target's table goes first: a cut from here on leaves a card
        // that loads.
        r.target->disk->Format();
        if (!r.target->disk->WriteFAT())
            Fail(static_cast<int>(i), r);
    }
    bool going = Pump();
    for (std::size_t c = 0; going && c < runs_.front()->target->plan.clips.size(); ++c)
        going = CopyClip(c);
    for (std::size_t i = 0; i < runs_.size(); ++i) {
        TargetRun& r = *runs_[i];
        if (!Live(r))
            continue;
        if (!going) {
            End(static_cast<int>(i), r, kTargetStopped);
            continue;
        }
        if (!r.target->disk->SetPlaylists(source_.Playlists()).Stored()) {
            Fail(static_cast<int>(i), r);
            continue;
        }
        r.progress.SetBase(r.total);
        End(static_cast<int>(i), r, kTargetWhole);
    }
    Pump();
    const bool sourceFailed = reader_.Failed();
    source_.SetInteraction(sourceUi);
    if (sourceFailed && sourceUi != nullptr)
        ShowMessage(*sourceUi, kIdsCardAccessError, kMsgError);
    bool someFailed = false;
    for (auto& r : runs_) {
        r->target->disk->SetInteraction(r->formerUi);
        someFailed = someFailed || r->target->state != kTargetWhole;
    }
    progress_.Set(static_cast<int>(steps));
    progress_.End();
    if (sourceFailed)
        return kCopySourceFailed;
    if (stopped_)
        return kCopyStopped;
    return someFailed ? kCopySomeFailed : kCopyAllWhole;
}

} // namespace

int CopyCardOnto(CDisk& source, std::vector<CopyTarget>& targets, IProgress& progress, IInteraction* ui,
                 ICardCopyView* view, bool verify)
{
    if (targets.empty() || !source.IsOpen() || !source.IsLoaded())
        return kCopySourceFailed;
    for (const CopyTarget& t : targets) {
        if (t.disk == nullptr || !t.disk->IsOpen() || t.plan.placement == kCopyNoRoom)
            return kCopySourceFailed;
    }
    CCopyRun run(source, targets, progress, ui, view, verify);
    return run.Run();
}
