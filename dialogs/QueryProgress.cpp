#include "dialogs/QueryProgress.h"

#include <QApplication>
#include <QProgressDialog>
#include <algorithm>
#include <climits>

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

bool QueryProgress::Step(size_t done)
{
    if (!Dialog) {
        if (Timer.elapsed() < ShowAfterMs)
            return true;
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
    if (Total > 0)
        Dialog->setValue(static_cast<int>(std::min<size_t>(done, INT_MAX)));
    QApplication::processEvents();
    return !Dialog->wasCanceled();
}

void QueryProgress::Finish()
{
    if (Dialog)
        Dialog->close();
    Dialog.reset();
}
