// A listing of reparse points made on a worker thread.
#include "window/ListingScan.h"

#include <Hollin0106/NtfsImage.h>
#include <Hollin0106/qvxFSO.h>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <vector>

#include "report/ListingSources.h"
#include "window/ReparseListModel.h"

using namespace Hollin0106;

struct ListingScan::Shared {
    std::optional<NtfsReparseScan> scan;  // an image's
    std::u16string folder;                // or a folder's
    std::atomic<std::uint64_t> folders{0};

    std::mutex mutex;
    std::condition_variable handed;  // a batch was taken, or the listing cancelled
    bool inFlight = false;
    bool cancelled = false;
    std::size_t pendingLimit = kDefaultPendingLimit;
};

ListingScan::ListingScan(NtfsReparseScan&& scan, ReparseListModel& model, QObject* parent)
    : QObject(parent), model_(model), shared_(std::make_shared<Shared>())
{
    shared_->scan.emplace(std::move(scan));
}

ListingScan::ListingScan(std::u16string folder, ReparseListModel& model, QObject* parent)
    : QObject(parent), model_(model), shared_(std::make_shared<Shared>())
{
    shared_->folder = std::move(folder);
}

ListingScan::~ListingScan()
{
    Cancel();
    if (worker_.joinable()) worker_.join();
}

void ListingScan::SetPendingLimit(std::size_t rows)
{
    const std::lock_guard lock(shared_->mutex);
    shared_->pendingLimit = rows > 0 ? rows : 1;
}

void ListingScan::Start()
{
    if (running_ || worker_.joinable()) return;
    running_ = true;
    worker_ = std::thread([this] { Work(); });
}

void ListingScan::Cancel()
{
    if (!running_) return;
    cancelRequested_ = true;
    {
        const std::lock_guard lock(shared_->mutex);
        shared_->cancelled = true;
    }
    shared_->handed.notify_all();
    if (shared_->scan) shared_->scan->Cancel();
}

std::uint64_t ListingScan::Done() const
{
    return shared_->scan ? shared_->scan->Done() : shared_->folders.load();
}

std::uint64_t ListingScan::Total() const
{
    return shared_->scan ? shared_->scan->Total() : 0;
}

// On the worker thread. The batches reach Deliver through queued calls, which Qt drops
// when this object is gone; the destructor waits for this function to return first.
void ListingScan::Work()
{
    Shared& s = *shared_;
    std::vector<ListRow> pending;
    const auto post = [this](std::vector<ListRow>&& rows, bool last, bool cancelled) {
        auto batch = std::make_shared<std::vector<ListRow>>(std::move(rows));
        QMetaObject::invokeMethod(
            this, [this, batch, last, cancelled] { Deliver(*batch, last, cancelled); }, Qt::QueuedConnection);
    };
    const auto found = [&](modReparseListing::ListingEntry&& entry) {
        pending.push_back(MakeListRow(std::move(entry)));
        std::unique_lock lock(s.mutex);
        if (s.inFlight && pending.size() >= s.pendingLimit)
            s.handed.wait(lock, [&s] { return !s.inFlight || s.cancelled; });
        if (s.cancelled) return false;
        if (!s.inFlight) {
            s.inFlight = true;
            post(std::move(pending), false, false);
            pending.clear();
        }
        return true;
    };

    if (s.scan) {
        for (NtfsReparseEntry entry; s.scan->Next(entry);)
            if (!found(ListingSources::FromImageEntry(std::move(entry)))) break;
    } else {
        qvxFSO fso;  // the worker's own, apart from the GUI thread's
        ListingSources::ListFolder(
            fso, s.folder,
            [&s](std::uint64_t folders) {
                s.folders = folders;
                const std::lock_guard lock(s.mutex);
                return !s.cancelled;
            },
            found);
    }
    bool cancelled = false;
    {
        const std::lock_guard lock(s.mutex);
        cancelled = s.cancelled;
    }
    post(std::move(pending), true, cancelled);
}

void ListingScan::Deliver(std::vector<ListRow>& rows, bool last, bool cancelled)
{
    if (!cancelRequested_) model_.Append(rows);
    if (!last) {
        {
            const std::lock_guard lock(shared_->mutex);
            shared_->inFlight = false;
        }
        shared_->handed.notify_all();
        return;
    }
    if (worker_.joinable()) worker_.join();
    running_ = false;
    emit finished(cancelled || cancelRequested_);
}
