#include "dialogs/BackupProgressUnit.h"

#include <QLabel>
#include <QProgressBar>
#include <QVBoxLayout>

TBackupProgress::TBackupProgress(QWidget* owner, const QString& caption) : QDialog(owner)
{
    setObjectName("BackupProgress");
    setWindowTitle(caption);
    // The rest of the program waits: no command may run while the file is being copied.
    setWindowModality(Qt::ApplicationModal);
    setWindowFlag(Qt::WindowCloseButtonHint, false);
    resize(420, 90);
    auto* layout = new QVBoxLayout(this);
    StatusLabel = new QLabel(caption, this);
    StatusLabel->setObjectName("StatusLabel");
    // A long path in the engine's line must not widen the window.
    StatusLabel->setMinimumWidth(1);
    StatusLabel->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    layout->addWidget(StatusLabel);
    ProgressBar = new QProgressBar(this);
    ProgressBar->setObjectName("ProgressBar");
    ProgressBar->setRange(0, 0);  // the engine does not say how far it is
    ProgressBar->setAccessibleName(caption);
    layout->addWidget(ProgressBar);
}

TBackupProgress::~TBackupProgress() = default;

void TBackupProgress::ShowLine(const QString& line)
{
    ++Lines;
    StatusLabel->setText(line.trimmed());
}
