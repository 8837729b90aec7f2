// Long work on a thread of the pool, so that the window stays painted: for
// its first 100 ms the user's input waits, then a modal progress dialog shows
// that it goes on, and its Cancel asks the work to stop.
//
// Whatever the work touches (a connection above all) is the work's until Run
// returns: the caller's thread leaves it alone meanwhile, which the modal
// dialog and the waiting input make so for commands. A read that can have a
// connection of its own takes one instead of the window's.
#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <type_traits>

#include "dbframework/DBFrameWork_Reports.h"

class QDialog;
class QProgressDialog;
class QWidget;

class BackgroundWork {
public:
    // Told, on the work's thread, how far the work is; false once cancelled.
    using Progress = DBFrameWork::FetchProgress;

    // total: the steps the bar counts up to; 0 when unknown.
    explicit BackgroundWork(QWidget* owner, int total = 0);
    ~BackgroundWork();
    BackgroundWork(const BackgroundWork&) = delete;
    BackgroundWork& operator=(const BackgroundWork&) = delete;

    // Runs work(progress) off this thread and answers what it answered once
    // it has ended; what it throws is thrown here.
    template <typename Work>
    auto Run(Work work) -> std::invoke_result_t<Work&, const Progress&>
    {
        std::optional<std::invoke_result_t<Work&, const Progress&>> result;
        RunOff([&](const Progress& progress) { result.emplace(work(progress)); }, nullptr);
        return std::move(*result);
    }

    // A read of the data layer through Run; what it throws past the layer's
    // own handling is written to the debug output and answers Failed.
    DBFrameWork::QueryOutcome Read(const std::function<DBFrameWork::QueryOutcome(const Progress&)>& read);

    // As Run, with the caller's own dialog shown at once instead of the
    // progress dialog: work that cannot stop halfway has no Cancel.
    template <typename Work>
    auto RunShowing(QDialog& shown, Work work) -> std::invoke_result_t<Work&>
    {
        std::optional<std::invoke_result_t<Work&>> result;
        RunOff([&](const Progress&) { result.emplace(work()); }, &shown);
        return std::move(*result);
    }

    bool WasShown() const { return Shown; }

private:
    void RunOff(const std::function<void(const Progress&)>& work, QDialog* shown);
    void ShowProgressDialog();

    QWidget* Owner;
    int Total;
    std::unique_ptr<QProgressDialog> Dialog;
    std::atomic<bool> Cancelled{false};
    std::atomic<size_t> Done{0};
    bool Shown = false;
};
