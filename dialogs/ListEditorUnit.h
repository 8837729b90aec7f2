// Edits an ordered list of short texts: add by typing and Enter, remove, move
// up and down. The caller sets the caption and reads the list after OK.
#pragma once

#include <QChar>
#include <QDialog>
#include <QStringList>

class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QSplitter;
class QWidget;

class TListEditor : public QDialog {
    Q_OBJECT

public:
    // The list is copied; the caller's list is never changed.
    TListEditor(QWidget* owner, const QStringList& items);
    ~TListEditor() override;

    // Shows the dialog modally; true when it was closed with OK.
    bool Execute();
    // The list as of the last OK or Apply; empty before either.
    QStringList GetItems() const;

    void RemoveButtonClick();
    void MoveUpButtonClick();
    void MoveDownButtonClick();
    // Acts on Enter (carriage return) only; a swallowed key comes back null.
    void AddItemEditKeyPress(QChar& key);
    void OKButtonClick();
    void ApplyButtonClick();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    // Neither Enter nor Escape closes this dialog.
    void keyPressEvent(QKeyEvent* event) override;

private:
    void BuildForm();
    void ShowItems(const QStringList& list);
    void StoreItems();
    int SelectedIndex() const;
    void MoveSelected(int offset);

    QStringList Items;

public:
    // Controls, named as their objectName.
    QSplitter* HRSplitter1 = nullptr;
    QWidget* ListPanel = nullptr;
    QListWidget* ItemsListBox = nullptr;
    QWidget* OperationsPanel = nullptr;
    QPushButton* RemoveButton = nullptr;
    QPushButton* MoveUpButton = nullptr;
    QPushButton* MoveDownButton = nullptr;
    QWidget* BottmPanel = nullptr;
    QLabel* AddItemLabel = nullptr;
    QLineEdit* AddItemEdit = nullptr;
    QPushButton* OKButton = nullptr;
    QPushButton* CancelButton = nullptr;
    QPushButton* ApplyButton = nullptr;
};
