// The background work's own promises, beside the report and backup commands
// that rely on them: what the work throws reaches the caller, and a dialog of
// the caller's shows at once and stays until the work has ended.
#include <QLabel>
#include <QProgressDialog>
#include <QTest>
#include <QTimer>
#include <atomic>
#include <chrono>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "dbframework/DBFrameWork_Platform.h"
#include "dialogs/BackgroundWork.h"
#include "dialogs/BackupProgressUnit.h"

namespace {

using DBFrameWork::QueryOutcome;

TEST(BackgroundWorkTest, WhatTheWorkThrowsComesOutOfRunAndTheNextRunWorks)
{
    QWidget owner;
    BackgroundWork work(&owner);
    const std::thread::id caller = std::this_thread::get_id();
    std::thread::id worker;
    try {
        work.Run([&](const BackgroundWork::Progress&) -> int {
            worker = std::this_thread::get_id();
            throw std::runtime_error("the engine went away");
        });
        ADD_FAILURE() << "nothing came out of Run";
    } catch (const std::runtime_error& error) {
        EXPECT_STREQ(error.what(), "the engine went away");
    }
    EXPECT_NE(worker, caller);

    // A read's stray exception is a failed read, told in the debug output.
    std::vector<std::string> debug;
    DBFrameWork::SetDebugSink([&debug](const std::string& text) { debug.push_back(text); });
    const QueryOutcome outcome = work.Read(
        [](const BackgroundWork::Progress&) -> QueryOutcome { throw std::logic_error("a bad row"); });
    DBFrameWork::SetDebugSink({});
    EXPECT_EQ(outcome, QueryOutcome::Failed);
    EXPECT_EQ(debug, std::vector<std::string>{"Uncaught Exception in a report's read: a bad row"});

    EXPECT_EQ(work.Run([](const BackgroundWork::Progress&) { return 7; }), 7);
}

TEST(BackgroundWorkTest, TheCallersDialogShowsAtOnceTakesTheLinesAndOutlastsEscapeAndClose)
{
    QWidget owner;
    owner.show();
    TBackupProgress progress(&owner, "Backup...");
    BackgroundWork work(&owner);
    bool shownAlone = false;
    bool upAfterEscapeAndClose = false;
    std::atomic<bool> checked{false};
    // Well before the 100 ms after which the progress dialog would come.
    QTimer::singleShot(30, &owner, [&] {
        shownAlone = progress.isVisible() && !owner.findChild<QProgressDialog*>("QueryProgressDialog");
        QTest::keyClick(&progress, Qt::Key_Escape);
        progress.close();  // what a quit does to the modal window
        upAfterEscapeAndClose = progress.isVisible();
        checked = true;
    });
    const std::string result = work.RunShowing(progress, [&] {
        for (const char* line : {"gbak: writing tables", "gbak: closing file  "})
            QMetaObject::invokeMethod(
                &progress, [&progress, text = QString(line)] { progress.ShowLine(text); }, Qt::QueuedConnection);
        const auto start = std::chrono::steady_clock::now();
        while (!checked && std::chrono::steady_clock::now() - start < std::chrono::seconds(10))
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        return std::string(checked ? "done" : "the window's thread never looked at the dialog");
    });
    EXPECT_EQ(result, "done");
    EXPECT_TRUE(shownAlone);
    EXPECT_TRUE(upAfterEscapeAndClose);
    EXPECT_TRUE(work.WasShown());
    // Every line handed over before the work ended is shown before Run returns.
    EXPECT_EQ(progress.LineCount(), 2);
    EXPECT_EQ(progress.StatusLabel->text(), "gbak: closing file");
}

}  // namespace
