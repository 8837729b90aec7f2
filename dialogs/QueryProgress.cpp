#include "dialogs/QueryProgress.h"

#include <QApplication>
#include <QEventLoop>
#include <QProgressDialog>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <climits>
#include <thread>

#include "dbframework/DBFrameWork_Platform.h"

// What the work may take before the window shows that it is busy.
constexpr qint64 ShowAfterMs = 100;

QueryProgress::QueryProgress(QWidget* owner, int total) : Owner(owner), Total(total)
{
    Timer.start();
}

QueryProgress::~QueryProgress() = default;

DBFrameWork::FetchProgress QueryProgress::Callback()
{
    return [this](size_t rows) { return Step(rows); };
}

void QueryProgress::ShowDialog()
{
    if (Dialog)
        return;
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

bool QueryProgress::Step(size_t done)
{
    if (!Dialog) {
        if (Timer.elapsed() < ShowAfterMs)
            return true;
        ShowDialog();
    }
    if (Total > 0)
        Dialog->setValue(static_cast<int>(std::min<size_t>(done, INT_MAX)));
    QApplication::processEvents();
    return !Dialog->wasCanceled();
}

DBFrameWork::QueryOutcome QueryProgress::RunAside(const Read& read)
{
    std::atomic<bool> cancelled{false};
    std::atomic<bool> done{false};
    DBFrameWork::QueryOutcome outcome = DBFrameWork::QueryOutcome::Failed;
    QEventLoop loop;
    std::thread worker([&] {
        try {
            outcome = read([&](size_t) { return !cancelled; });
        } catch (const std::exception& error) {
            // The data layer reports the engine's errors itself; this is anything else.
            DBFrameWork::OutputDebugString(std::string("Uncaught Exception in a report's read: ") + error.what());
            outcome = DBFrameWork::QueryOutcome::Failed;
        } catch (...) {
            DBFrameWork::OutputDebugString("Uncaught Exception in a report's read");
            outcome = DBFrameWork::QueryOutcome::Failed;
        }
        done = true;
        QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
    });
    // Until the dialog stands in the way, the user's input waits: a click
    // now must not start a second read on the same connection.
    QTimer::singleShot(static_cast<int>(std::max<qint64>(0, ShowAfterMs - Timer.elapsed())), &loop,
                       &QEventLoop::quit);
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    if (!done) {
        ShowDialog();
        QObject::connect(Dialog.get(), &QProgressDialog::canceled, &loop, [&] { cancelled = true; });
        if (!done)
            loop.exec();
    }
    worker.join();
    return outcome;
}

void QueryProgress::Finish()
{
    if (Dialog)
        Dialog->close();
    Dialog.reset();
}
