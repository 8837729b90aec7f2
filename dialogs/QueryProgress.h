// The progress dialog of a long read: it appears once the work has taken
// 100 ms, keeps the window painted, and its Cancel stops the query.
#pragma once

#include <QElapsedTimer>
#include <memory>

#include "dbframework/DBFrameWork_Reports.h"

class QProgressDialog;
class QWidget;

class QueryProgress {
public:
    explicit QueryProgress(QWidget* owner, int total = 0);
    ~QueryProgress();

    // For the data layer's fetch loop.
    DBFrameWork::FetchProgress Callback();
    // One step of work done (rows fetched, lines written); false once cancelled.
    bool Step(size_t done);
    void Finish();
    bool WasShown() const { return Shown; }

private:
    QWidget* Owner;
    int Total;
    QElapsedTimer Timer;
    std::unique_ptr<QProgressDialog> Dialog;
    bool Shown = false;
};
