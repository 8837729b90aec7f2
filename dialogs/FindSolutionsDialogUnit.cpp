#include "dialogs/FindSolutionsDialogUnit.h"

#include <QApplication>
#include <QDate>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>

namespace {

// The pause after the last key before the search runs.
const int TypingPause = 150;

// "12/25/2004" as the user's short date.
QString ShortDate(const std::string& text)
{
    const QStringList parts = QString::fromStdString(text).split('/');
    if (parts.size() != 3)
        return QString::fromStdString(text);
    const QDate date(parts[2].toInt(), parts[0].toInt(), parts[1].toInt());
    return date.isValid() ? QLocale().toString(date, QLocale::ShortFormat) : QString::fromStdString(text);
}

}  // namespace

TFindSolutionsDialog::TFindSolutionsDialog(QWidget* owner, DBFrameWork::FindIndex* index) : QDialog(owner), Index(index)
{
    setObjectName("FindSolutionsDialog");
    setWindowTitle("Find Solutions");
    resize(820, 480);

    SearchEdit = new QLineEdit(this);
    SearchEdit->setObjectName("SearchEdit");
    SearchEdit->setPlaceholderText("Words to find in every ticket; \"a phrase\", -excluded");
    SearchEdit->installEventFilter(this);

    ResultList = new QTreeWidget(this);
    ResultList->setObjectName("ResultList");
    ResultList->setRootIsDecorated(false);
    ResultList->setUniformRowHeights(true);
    ResultList->setHeaderLabels({"Customer", "Assigned", "Technician", "Complete", "Best match", "Phone"});
    // The snippet takes the room; the phone, last, keeps a number's width.
    ResultList->header()->setStretchLastSection(false);
    ResultList->header()->setSectionResizeMode(SnippetColumn, QHeaderView::Stretch);
    ResultList->setColumnWidth(0, 160);
    // Wide enough for the longest date the user's locale writes.
    const QString longDate = QLocale().toString(QDate(2026, 12, 28), QLocale::ShortFormat);
    ResultList->setColumnWidth(1, ResultList->fontMetrics().horizontalAdvance(longDate) + 16);
    ResultList->setColumnWidth(2, 100);
    ResultList->setColumnWidth(3, 70);
    ResultList->setColumnWidth(PhoneColumn, ResultList->fontMetrics().horizontalAdvance("+1 (555) 555-5555") + 16);

    ResultCountLabel = new QLabel(this);
    ResultCountLabel->setObjectName("ResultCountLabel");
    IndexProgressBar = new QProgressBar(this);
    IndexProgressBar->setObjectName("IndexProgressBar");
    IndexProgressBar->setRange(0, 100);
    IndexProgressBar->setVisible(false);
    IndexProgressLabel = new QLabel(this);
    IndexProgressLabel->setObjectName("IndexProgressLabel");
    IndexProgressLabel->setVisible(false);

    OpenButton = new QPushButton("&Open", this);
    OpenButton->setObjectName("OpenButton");
    OpenButton->setAutoDefault(false);
    CancelButton = new QPushButton("Cancel", this);
    CancelButton->setObjectName("CancelButton");
    CancelButton->setAutoDefault(false);

    auto* bottom = new QHBoxLayout;
    bottom->addWidget(ResultCountLabel);
    bottom->addWidget(IndexProgressLabel);
    bottom->addWidget(IndexProgressBar, 1);
    bottom->addStretch();
    bottom->addWidget(OpenButton);
    bottom->addWidget(CancelButton);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(SearchEdit);
    layout->addWidget(ResultList, 1);
    layout->addLayout(bottom);

    SearchTimer = new QTimer(this);
    SearchTimer->setObjectName("SearchTimer");
    SearchTimer->setSingleShot(true);
    SearchTimer->setInterval(TypingPause);
    ProgressTimer = new QTimer(this);
    ProgressTimer->setObjectName("ProgressTimer");
    ProgressTimer->setInterval(250);

    connect(SearchEdit, &QLineEdit::textEdited, SearchTimer, qOverload<>(&QTimer::start));
    connect(SearchEdit, &QLineEdit::returnPressed, this, &TFindSolutionsDialog::OpenSelected);
    connect(SearchTimer, &QTimer::timeout, this, &TFindSolutionsDialog::SearchNow);
    connect(ProgressTimer, &QTimer::timeout, this, &TFindSolutionsDialog::ShowProgress);
    connect(ResultList, &QTreeWidget::itemActivated, this, [this] { OpenSelected(); });
    connect(OpenButton, &QPushButton::clicked, this, &TFindSolutionsDialog::OpenSelected);
    connect(CancelButton, &QPushButton::clicked, this, &QDialog::reject);

    ProgressTimer->start();
    ShowProgress();
}

TFindSolutionsDialog::~TFindSolutionsDialog() = default;

bool TFindSolutionsDialog::Execute()
{
    return exec() == QDialog::Accepted;
}

void TFindSolutionsDialog::SearchNow()
{
    SearchTimer->stop();
    const DBFrameWork::FindProgress progress = Index->Progress();
    SearchedDone = progress.Building ? progress.Done : -1;
    ShowHits(Index->Search(SearchEdit->text().toStdString()));
}

void TFindSolutionsDialog::ShowHits(const std::vector<DBFrameWork::FindHit>& hits)
{
    ResultList->clear();
    for (const DBFrameWork::FindHit& hit : hits) {
        auto* item = new QTreeWidgetItem(ResultList);
        item->setText(0, QString::fromStdString(hit.CustomerName));
        item->setText(1, ShortDate(hit.Assigned));
        item->setText(2, QString::fromStdString(hit.Technician));
        item->setText(3, hit.IsCompleted ? "Yes" : "No");
        item->setText(PhoneColumn, QString::fromStdString(hit.Phone));
        item->setData(0, ProblemIDRole, hit.ProblemID);
        item->setData(SnippetColumn, ProblemIDRole, QString::fromStdString(hit.Snippet));
        auto* snippet = new QLabel(QString::fromStdString(hit.Snippet));
        snippet->setTextFormat(Qt::RichText);
        snippet->setObjectName("SnippetLabel");
        ResultList->setItemWidget(item, SnippetColumn, snippet);
    }
    if (ResultList->topLevelItemCount() > 0)
        ResultList->setCurrentItem(ResultList->topLevelItem(0));
    const bool typed = !SearchEdit->text().trimmed().isEmpty();
    ResultCountLabel->setText(!typed                 ? QString()
                                  : hits.empty()     ? "No ticket found"
                                  : hits.size() == 1 ? "1 ticket"
                                                     : QString::number(hits.size()) + " tickets");
}

void TFindSolutionsDialog::ShowProgress()
{
    const DBFrameWork::FindProgress progress = Index->Progress();
    IndexProgressBar->setVisible(progress.Building);
    IndexProgressLabel->setVisible(progress.Building);
    if (progress.Building) {
        const int share = progress.Total > 0 ? static_cast<int>(progress.Done * 100 / progress.Total) : 0;
        IndexProgressBar->setValue(share);
        IndexProgressLabel->setText("Indexing tickets: " + QString::number(share) + "%");
    }
    // What was indexed since the hits were found may hold better ones.
    bool grown = SearchedDone >= 0 && (!progress.Building || progress.Done > SearchedDone);
    // A long list of changes (made elsewhere) is taken in a little at each tick.
    if (!progress.Building) {
        const bool behind = !Index->CatchUp();
        grown = grown || (ChangesPending && !behind);
        ChangesPending = behind;
    }
    if (grown && !SearchTimer->isActive())
        SearchNow();
}

void TFindSolutionsDialog::OpenSelected()
{
    if (SearchTimer->isActive())
        SearchNow();
    QTreeWidgetItem* item = ResultList->currentItem();
    if (!item && ResultList->topLevelItemCount() > 0)
        item = ResultList->topLevelItem(0);
    if (!item)
        return;
    SelectedProblemID = item->data(0, ProblemIDRole).toInt();
    accept();
}

bool TFindSolutionsDialog::eventFilter(QObject* watched, QEvent* event)
{
    // Up and Down in the field walk the hits, so the hands stay on the keys.
    if (watched == SearchEdit && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if ((key == Qt::Key_Down || key == Qt::Key_Up) && ResultList->topLevelItemCount() > 0) {
            QTreeWidgetItem* current = ResultList->currentItem();
            const int row = current ? ResultList->indexOfTopLevelItem(current) : -1;
            const int next = std::clamp(row + (key == Qt::Key_Down ? 1 : -1), 0, ResultList->topLevelItemCount() - 1);
            ResultList->setCurrentItem(ResultList->topLevelItem(next));
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}
