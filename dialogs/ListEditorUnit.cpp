#include "dialogs/ListEditorUnit.h"

#include <QApplication>
#include <QFont>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSplitter>
#include <QVBoxLayout>

TListEditor::TListEditor(QWidget* owner, const QStringList& items) : QDialog(owner)
{
    BuildForm();
    Items.clear();
    ShowItems(items);
}

TListEditor::~TListEditor() = default;

void TListEditor::BuildForm()
{
    setObjectName("ListEditor");
    setWindowTitle("ListEditor");
    setFont(QFont("MS Sans Serif", 8));
    resize(465, 355);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    HRSplitter1 = new QSplitter(Qt::Horizontal, this);
    HRSplitter1->setObjectName("HRSplitter1");
    HRSplitter1->setHandleWidth(3);
    HRSplitter1->setChildrenCollapsible(false);
    layout->addWidget(HRSplitter1, 1);

    ListPanel = new QWidget(HRSplitter1);
    ListPanel->setObjectName("ListPanel");
    auto* listLayout = new QVBoxLayout(ListPanel);
    listLayout->setContentsMargins(0, 0, 0, 0);
    ItemsListBox = new QListWidget(ListPanel);
    ItemsListBox->setObjectName("ItemsListBox");
    ItemsListBox->setSelectionMode(QAbstractItemView::SingleSelection);
    ItemsListBox->setSortingEnabled(false);
    listLayout->addWidget(ItemsListBox);

    OperationsPanel = new QWidget(HRSplitter1);
    OperationsPanel->setObjectName("OperationsPanel");
    RemoveButton = new QPushButton("&Remove", OperationsPanel);
    RemoveButton->setObjectName("RemoveButton");
    RemoveButton->setGeometry(24, 16, 75, 25);
    MoveUpButton = new QPushButton("<<", OperationsPanel);
    MoveUpButton->setObjectName("MoveUpButton");
    MoveUpButton->setGeometry(24, 56, 33, 25);
    MoveDownButton = new QPushButton(">>", OperationsPanel);
    MoveDownButton->setObjectName("MoveDownButton");
    MoveDownButton->setGeometry(66, 56, 33, 25);
    MoveUpButton->setToolTip("Move up");
    MoveDownButton->setToolTip("Move down");
    MoveUpButton->setAccessibleName("Move up");
    MoveDownButton->setAccessibleName("Move down");
    ItemsListBox->setAccessibleName("Entries");
    HRSplitter1->addWidget(ListPanel);
    HRSplitter1->addWidget(OperationsPanel);
    HRSplitter1->setSizes({329, 125});
    HRSplitter1->setStretchFactor(0, 1);
    HRSplitter1->setStretchFactor(1, 0);

    BottmPanel = new QWidget(this);
    BottmPanel->setObjectName("BottmPanel");
    BottmPanel->setFixedHeight(41);
    layout->addWidget(BottmPanel);
    auto* bottomLayout = new QHBoxLayout(BottmPanel);
    bottomLayout->setContentsMargins(8, 8, 8, 8);
    AddItemEdit = new QLineEdit(BottmPanel);
    AddItemEdit->setObjectName("AddItemEdit");
    // Nothing else tells the user that Enter is what adds the text.
    AddItemLabel = new QLabel("&Add (Enter):", BottmPanel);
    AddItemLabel->setObjectName("AddItemLabel");
    AddItemLabel->setBuddy(AddItemEdit);
    AddItemEdit->setAccessibleName("New entry, Enter adds it");
    AddItemEdit->setPlaceholderText("Type, then press Enter");
    OKButton = new QPushButton("OK", BottmPanel);
    OKButton->setObjectName("OKButton");
    CancelButton = new QPushButton("Cancel", BottmPanel);
    CancelButton->setObjectName("CancelButton");
    ApplyButton = new QPushButton("Apply", BottmPanel);
    ApplyButton->setObjectName("ApplyButton");
    ApplyButton->setEnabled(false);
    bottomLayout->addWidget(AddItemLabel);
    bottomLayout->addWidget(AddItemEdit, 1);
    bottomLayout->addSpacing(16);
    bottomLayout->addWidget(OKButton);
    bottomLayout->addWidget(CancelButton);
    bottomLayout->addWidget(ApplyButton);

    // No button is the default one: Enter belongs to the entry field.
    for (QPushButton* button : {RemoveButton, MoveUpButton, MoveDownButton, OKButton, CancelButton, ApplyButton}) {
        button->setAutoDefault(false);
        button->setDefault(false);
    }

    setTabOrder(AddItemEdit, OKButton);
    setTabOrder(OKButton, CancelButton);
    setTabOrder(CancelButton, ApplyButton);
    setTabOrder(ApplyButton, ItemsListBox);
    setTabOrder(ItemsListBox, RemoveButton);
    setTabOrder(RemoveButton, MoveUpButton);
    setTabOrder(MoveUpButton, MoveDownButton);
    AddItemEdit->setFocus();
    AddItemEdit->installEventFilter(this);

    connect(RemoveButton, &QPushButton::clicked, this, [this] { RemoveButtonClick(); });
    connect(MoveUpButton, &QPushButton::clicked, this, [this] { MoveUpButtonClick(); });
    connect(MoveDownButton, &QPushButton::clicked, this, [this] { MoveDownButtonClick(); });
    connect(OKButton, &QPushButton::clicked, this, [this] { OKButtonClick(); });
    connect(CancelButton, &QPushButton::clicked, this, &QDialog::reject);
    connect(ApplyButton, &QPushButton::clicked, this, [this] { ApplyButtonClick(); });
}

bool TListEditor::Execute()
{
    if (QWidget* window = QApplication::activeWindow(); window && window != this)
        move(window->frameGeometry().center() - rect().center());
    return exec() == QDialog::Accepted;
}

QStringList TListEditor::GetItems() const
{
    return Items;
}

void TListEditor::ShowItems(const QStringList& list)
{
    Items.clear();
    ItemsListBox->addItems(list);
}

void TListEditor::StoreItems()
{
    Items.clear();
    for (int row = 0; row < ItemsListBox->count(); ++row)
        Items.append(ItemsListBox->item(row)->text());
}

int TListEditor::SelectedIndex() const
{
    const QList<QListWidgetItem*> selected = ItemsListBox->selectedItems();
    return selected.isEmpty() ? -1 : ItemsListBox->row(selected.first());
}

bool TListEditor::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == AddItemEdit && event->type() == QEvent::KeyPress) {
        auto* keyEvent = static_cast<QKeyEvent*>(event);
        const bool enter = keyEvent->key() == Qt::Key_Return || keyEvent->key() == Qt::Key_Enter;
        if (enter || !keyEvent->text().isEmpty()) {
            QChar key = enter ? QChar('\r') : keyEvent->text().at(0);
            AddItemEditKeyPress(key);
            if (key.isNull())
                return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TListEditor::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
        event->accept();
        return;
    default:
        QDialog::keyPressEvent(event);
    }
}

void TListEditor::AddItemEditKeyPress(QChar& key)
{
    if (key != QChar('\r'))
        return;
    key = QChar();
    const QString text = AddItemEdit->text();
    if (text.isEmpty())
        return;
    for (int row = 0; row < ItemsListBox->count(); ++row)
        if (ItemsListBox->item(row)->text().compare(text, Qt::CaseInsensitive) == 0)
            return;
    ApplyButton->setEnabled(true);
    ItemsListBox->addItem(text);
}

void TListEditor::RemoveButtonClick()
{
    const int selected = SelectedIndex();
    if (selected < 0)
        return;
    ApplyButton->setEnabled(true);
    delete ItemsListBox->takeItem(selected);
}

void TListEditor::MoveUpButtonClick()
{
    if (SelectedIndex() > 0)
        MoveSelected(-1);
}

void TListEditor::MoveDownButtonClick()
{
    const int selected = SelectedIndex();
    if (selected >= 0 && selected < ItemsListBox->count() - 1)
        MoveSelected(1);
}

// The line keeps its selection as it moves, so it can be moved again at once.
void TListEditor::MoveSelected(int offset)
{
    const int from = SelectedIndex();
    const int to = from + offset;
    ApplyButton->setEnabled(true);
    QListWidgetItem* item = ItemsListBox->takeItem(from);
    ItemsListBox->insertItem(to, item);
    ItemsListBox->setCurrentItem(item);
}

void TListEditor::OKButtonClick()
{
    StoreItems();
    accept();
}

void TListEditor::ApplyButtonClick()
{
    ApplyButton->setEnabled(false);
    StoreItems();
}
