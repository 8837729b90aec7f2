// A small window that shows what the engine reports while it backs up,
// verifies or restores the data file. It only shows: the command that opens
// it does the work and lets the window repaint between the engine's lines.
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

    // Shows the window without waiting for it to close.
    void Start();
    // Shows the engine's latest line and repaints.
    void ShowLine(const QString& line);
    // Repaints while the engine has not answered for a moment.
    void Pump();
    int LineCount() const { return Lines; }

    QLabel* StatusLabel = nullptr;
    QProgressBar* ProgressBar = nullptr;

protected:
    // The work cannot be interrupted halfway: Escape and the close button do nothing.
    void reject() override {}

private:
    int Lines = 0;
};
