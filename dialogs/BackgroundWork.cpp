#include "dialogs/BackgroundWork.h"

#include <QDialog>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFutureWatcher>
#include <QProgressDialog>
#include <QTimer>
#include <QtConcurrent/QtConcurrentRun>
#include <algorithm>
#include <chrono>
#include <climits>
#include <condition_variable>
#include <exception>
#include <mutex>

#include "dbframework/DBFrameWork_Platform.h"

namespace {

// What the work may take before the window shows that it is busy.
constexpr qint64 ShowAfterMs = 100;
// What work may take before the window's events are taken in meanwhile:
// a window that stands still this long is not seen to.
constexpr int WaitWithoutLoopMs = 50;
// How often the bar of a known total catches up with the work.
constexpr int BarEveryMs = 50;

}  // namespace

BackgroundWork::BackgroundWork(QWidget* owner, int total) : Owner(owner), Total(total)
{}

BackgroundWork::~BackgroundWork() = default;

void BackgroundWork::ShowProgressDialog()
{
    Dialog = std::make_unique<QProgressDialog>(Owner);
    Dialog->setObjectName("QueryProgressDialog");
    Dialog->setWindowModality(Qt::WindowModal);
    Dialog->setMinimumDuration(0);
    Dialog->setAutoReset(false);
    Dialog->setAutoClose(false);
    // Without a known total the bar only shows that work goes on.
    Dialog->setRange(0, Total);
    Dialog->show();
    Shown = true;
}

DBFrameWork::QueryOutcome BackgroundWork::Read(const std::function<DBFrameWork::QueryOutcome(const Progress&)>& read)
{
    try {
        return Run(read);
    } catch (const std::exception& error) {
        // The data layer reports the engine's errors itself; this is anything else.
        DBFrameWork::OutputDebugString(std::string("Uncaught Exception in a report's read: ") + error.what());
    } catch (...) {
        DBFrameWork::OutputDebugString("Uncaught Exception in a report's read");
    }
    return DBFrameWork::QueryOutcome::Failed;
}

void BackgroundWork::RunOff(const std::function<void(const Progress&)>& work, QDialog* shown)
{
    QElapsedTimer timer;
    timer.start();
    Cancelled = false;
    Done = 0;
    const Progress progress = [this](size_t done) {
        Done = done;
        return !Cancelled;
    };
    std::exception_ptr failure;
    QEventLoop loop;
    bool finished = false;
    QFutureWatcher<void> watcher;
    QObject::connect(&watcher, &QFutureWatcher<void>::finished, &loop, [&] {
        finished = true;
        loop.quit();
    });
    std::mutex endMutex;
    std::condition_variable endSignal;
    bool ended = false;
    // Caught there: the pool would hand on only its own kind of exception.
    watcher.setFuture(QtConcurrent::run([&] {
        try {
            work(progress);
        } catch (...) {
            failure = std::current_exception();
        }
        const std::lock_guard<std::mutex> lock(endMutex);
        ended = true;
        endSignal.notify_one();
    }));
    // Short work is waited for here: an event loop would only repaint the
    // window meanwhile, which costs more than most such reads.
    bool endedAtOnce = false;
    if (!shown) {
        std::unique_lock<std::mutex> lock(endMutex);
        endedAtOnce = endSignal.wait_for(lock, std::chrono::milliseconds(WaitWithoutLoopMs), [&] { return ended; });
    }
    if (endedAtOnce) {
        watcher.waitForFinished();
        finished = true;
    } else if (shown) {
        shown->show();
        Shown = true;
        loop.exec();
    } else {
        // Until the dialog stands in the way, the user's input waits: a click
        // now must not start a second command on what the work holds.
        QTimer::singleShot(static_cast<int>(std::max<qint64>(0, ShowAfterMs - timer.elapsed())), &loop,
                           &QEventLoop::quit);
        loop.exec(QEventLoop::ExcludeUserInputEvents);
        if (!finished) {
            ShowProgressDialog();
            QObject::connect(Dialog.get(), &QProgressDialog::canceled, &loop, [this] { Cancelled = true; });
            QTimer bar;
            if (Total > 0) {
                QObject::connect(&bar, &QTimer::timeout, Dialog.get(),
                                 [this] { Dialog->setValue(static_cast<int>(std::min<size_t>(Done, INT_MAX))); });
                bar.start(BarEveryMs);
            }
            loop.exec();
        }
    }
    // A quit of the program ends every loop at once: the work is stopped if
    // it can be, and waited for, since it uses what the caller owns.
    if (!finished) {
        Cancelled = true;
        watcher.waitForFinished();
    }
    if (Dialog)
        Dialog->close();
    Dialog.reset();
    if (failure)
        std::rethrow_exception(failure);
}
