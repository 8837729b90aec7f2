// A small window that shows what the engine reports while it backs up,
// verifies or restores the data file. It only shows: the work runs off the
// window's thread, which the window keeps painting, and hands its lines over.
#pragma once

#include <QDialog>
#include <QString>

class QLabel;
class QProgressBar;

class TBackupProgress : public QDialog {
    Q_OBJECT

public:
    TBackupProgress(QWidget* owner, const QString& caption);
    ~TBackupProgress() override;

    // Shows the engine's latest line.
    void ShowLine(const QString& line);
    int LineCount() const { return Lines; }

    QLabel* StatusLabel = nullptr;
    QProgressBar* ProgressBar = nullptr;

protected:
    // The work cannot be interrupted halfway: Escape and the close button do nothing.
    void reject() override {}

private:
    int Lines = 0;
};
