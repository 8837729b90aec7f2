// The progress dialog of long work: it appears once the work has taken
// 100 ms, keeps the window painted, and its Cancel stops the work.
#pragma once

#include <QElapsedTimer>
#include <functional>
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
    // Runs a read on a thread of its own, so that the window stays painted
    // and the dialog can appear even while the engine has not answered its
    // first row; Cancel reaches the read through the progress it is given,
    // and this returns once the read has. The caller's thread must leave the
    // read's connection alone meanwhile (the dialog is modal).
    using Read = std::function<DBFrameWork::QueryOutcome(const DBFrameWork::FetchProgress& progress)>;
    DBFrameWork::QueryOutcome RunAside(const Read& read);
    // One step of work done (rows fetched, lines written); false once cancelled.
    bool Step(size_t done);
    void Finish();
    bool WasShown() const { return Shown; }

private:
    void ShowDialog();

    QWidget* Owner;
    int Total;
    QElapsedTimer Timer;
    std::unique_ptr<QProgressDialog> Dialog;
    bool Shown = false;
};
