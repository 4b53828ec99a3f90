// A listing of reparse points made on a worker thread and handed to a table model on the
// GUI thread, in batches.
#pragma once

#include <QObject>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace Hollin0106 {
class NtfsReparseScan;
}
class ReparseListModel;
struct ListRow;

// One listing, from its start to its end or cancellation. The worker hands its rows over
// with at most one batch on the way, so a batch takes whatever came while the GUI thread
// added the one before: a fast scan never floods the event loop, and rows arrive as fast
// as the table can take them. When `PendingLimit` rows wait meanwhile, the worker waits too.
class ListingScan : public QObject {
    Q_OBJECT

public:
    static constexpr std::size_t kDefaultPendingLimit = 50000;

    // The reparse points of an image's volume, from a scan NtfsImage made.
    ListingScan(Hollin0106::NtfsReparseScan&& scan, ReparseListModel& model, QObject* parent = nullptr);
    // The reparse points below a folder (a full path) of a mounted volume.
    ListingScan(std::u16string folder, ReparseListModel& model, QObject* parent = nullptr);
    // Cancels a listing still running and waits for its worker.
    ~ListingScan() override;

    // How many rows may wait while a batch is on its way before the worker waits too.
    void SetPendingLimit(std::size_t rows);
    // Starts the worker; once only.
    void Start();
    // Stops the listing: no row is added from here on, and finished(true) follows, unless
    // the listing has finished already.
    void Cancel();
    bool Running() const { return running_; }

    // Progress: work done out of work to do for an image (MFT records or index keys);
    // for a folder the folders searched so far, and a Total of 0.
    std::uint64_t Done() const;
    std::uint64_t Total() const;

signals:
    // The listing has ended, complete or cancelled; every row it found is in the model.
    void finished(bool cancelled);

private:
    struct Shared;

    void Work();
    // On the GUI thread: a batch has come.
    void Deliver(std::vector<ListRow>& rows, bool last, bool cancelled);

    ReparseListModel& model_;
    std::shared_ptr<Shared> shared_;
    std::thread worker_;
    bool running_ = false;
    bool cancelRequested_ = false;
};
