#include <QApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

#include "dialogs/ListEditorUnit.h"
#include "tests/support/windows/ModalDriver.h"

namespace {

QStringList Lines(const TListEditor& dialog)
{
    QStringList lines;
    for (int row = 0; row < dialog.ItemsListBox->count(); ++row)
        lines << dialog.ItemsListBox->item(row)->text();
    return lines;
}

void TypeAndEnter(TListEditor& dialog, const QString& text)
{
    dialog.AddItemEdit->setText(text);
    QTest::keyClick(dialog.AddItemEdit, Qt::Key_Return);
}

void Select(TListEditor& dialog, int row)
{
    dialog.ItemsListBox->setCurrentRow(row);
}

}  // namespace

TEST(ListEditor, showsTheListGivenAndHandsBackNothingBeforeOkOrApply)
{
    const QStringList given{"Ann", "Bob", "Cy"};
    TListEditor dialog(nullptr, given);
    EXPECT_EQ(Lines(dialog), given);
    EXPECT_TRUE(dialog.GetItems().isEmpty());
    EXPECT_FALSE(dialog.ApplyButton->isEnabled());
    EXPECT_EQ(dialog.windowTitle(), "ListEditor");
    EXPECT_EQ(dialog.objectName(), "ListEditor");
    for (const char* name :
         {"ListPanel", "ItemsListBox", "HRSplitter1", "OperationsPanel", "RemoveButton", "MoveUpButton",
          "MoveDownButton", "BottmPanel", "AddItemEdit", "OKButton", "CancelButton", "ApplyButton"})
        EXPECT_NE(dialog.findChild<QWidget*>(name), nullptr) << name;
    // No button answers Enter or Escape on behalf of the dialog.
    for (QPushButton* button : dialog.findChildren<QPushButton*>()) {
        EXPECT_FALSE(button->isDefault()) << button->objectName().toStdString();
        EXPECT_FALSE(button->autoDefault()) << button->objectName().toStdString();
    }
}

TEST(ListEditor, enterAddsNewTextsOnlyAndIgnoresCase)
{
    TListEditor dialog(nullptr, {"Bob"});
    TypeAndEnter(dialog, "bob");
    EXPECT_EQ(Lines(dialog), QStringList{"Bob"});
    EXPECT_FALSE(dialog.ApplyButton->isEnabled());
    TypeAndEnter(dialog, "");
    EXPECT_EQ(Lines(dialog), QStringList{"Bob"});
    EXPECT_FALSE(dialog.ApplyButton->isEnabled());

    TypeAndEnter(dialog, "Carl");
    EXPECT_EQ(Lines(dialog), (QStringList{"Bob", "Carl"}));
    EXPECT_TRUE(dialog.ApplyButton->isEnabled());
    EXPECT_EQ(dialog.AddItemEdit->text(), "Carl");  // the field is left as it was
    TypeAndEnter(dialog, "CARL");
    EXPECT_EQ(Lines(dialog).size(), 2);

    // Taken as typed: blanks stay part of the entry.
    TypeAndEnter(dialog, " Dee ");
    TypeAndEnter(dialog, "   ");
    EXPECT_EQ(Lines(dialog), (QStringList{"Bob", "Carl", " Dee ", "   "}));
    // The numeric pad's Enter adds too; other keys reach the field.
    dialog.AddItemEdit->clear();
    QTest::keyClicks(dialog.AddItemEdit, "Eve");
    EXPECT_EQ(dialog.AddItemEdit->text(), "Eve");
    QTest::keyClick(dialog.AddItemEdit, Qt::Key_Enter);
    EXPECT_EQ(Lines(dialog).last(), "Eve");
}

TEST(ListEditor, enterAndEscapeNeverCloseTheShownDialog)
{
    TListEditor dialog(nullptr, {"Ann"});
    bool stillOpen = false;
    bool accepted = false;
    const bool shown = WhileShown<TListEditor>([&] { accepted = dialog.Execute(); },
                                               [&](TListEditor& shownDialog) {
                                                   EXPECT_EQ(&shownDialog, &dialog);
                                                   shownDialog.AddItemEdit->setFocus();
                                                   QTest::keyClick(shownDialog.AddItemEdit,
                                                                   Qt::Key_Return);  // empty field
                                                   TypeAndEnter(shownDialog, "Bob");
                                                   TypeAndEnter(shownDialog, "ann");
                                                   QTest::keyClick(shownDialog.AddItemEdit, Qt::Key_Escape);
                                                   shownDialog.OKButton->setFocus();
                                                   QTest::keyClick(shownDialog.OKButton, Qt::Key_Return);
                                                   QTest::keyClick(&shownDialog, Qt::Key_Enter);
                                                   QTest::keyClick(&shownDialog, Qt::Key_Escape);
                                                   stillOpen = shownDialog.isVisible();
                                                   shownDialog.OKButton->click();
                                               });
    ASSERT_TRUE(shown);
    EXPECT_TRUE(stillOpen);
    EXPECT_TRUE(accepted);
    EXPECT_EQ(dialog.GetItems(), (QStringList{"Ann", "Bob"}));
}

TEST(ListEditor, removeAndMovesWithoutAFittingSelectionChangeNothing)
{
    TListEditor dialog(nullptr, {"A", "B", "C"});
    dialog.ItemsListBox->clearSelection();
    dialog.RemoveButton->click();
    dialog.MoveUpButton->click();
    dialog.MoveDownButton->click();
    Select(dialog, 0);
    dialog.MoveUpButton->click();
    Select(dialog, 2);
    dialog.MoveDownButton->click();
    EXPECT_EQ(Lines(dialog), (QStringList{"A", "B", "C"}));
    EXPECT_FALSE(dialog.ApplyButton->isEnabled());
}

TEST(ListEditor, movesAndRemoveEditTheListAndEnableApply)
{
    TListEditor dialog(nullptr, {"A", "B", "C", "D"});
    Select(dialog, 0);
    dialog.MoveDownButton->click();
    EXPECT_EQ(Lines(dialog), (QStringList{"B", "A", "C", "D"}));
    EXPECT_TRUE(dialog.ApplyButton->isEnabled());
    // The moved line can be moved again straight away.
    dialog.MoveDownButton->click();
    EXPECT_EQ(Lines(dialog), (QStringList{"B", "C", "A", "D"}));

    dialog.ApplyButton->click();
    EXPECT_FALSE(dialog.ApplyButton->isEnabled());
    EXPECT_EQ(dialog.GetItems(), (QStringList{"B", "C", "A", "D"}));

    Select(dialog, 3);
    dialog.MoveUpButton->click();
    EXPECT_EQ(Lines(dialog), (QStringList{"B", "C", "D", "A"}));
    EXPECT_TRUE(dialog.ApplyButton->isEnabled());
    Select(dialog, 1);
    dialog.RemoveButton->click();
    EXPECT_EQ(Lines(dialog), (QStringList{"B", "D", "A"}));
    // Apply took a snapshot; later edits reach the caller only through OK or Apply.
    EXPECT_EQ(dialog.GetItems(), (QStringList{"B", "C", "A", "D"}));
    dialog.OKButtonClick();
    EXPECT_EQ(dialog.GetItems(), (QStringList{"B", "D", "A"}));
}

TEST(ListEditor, cancelAndTheCloseBoxEndWithCancel)
{
    TListEditor applied(nullptr, {"A"});
    bool result = true;
    ASSERT_TRUE(WhileShown<TListEditor>([&] { result = applied.Execute(); },
                                        [](TListEditor& dialog) {
                                            TypeAndEnter(dialog, "B");
                                            dialog.ApplyButton->click();
                                            dialog.CancelButton->click();
                                        }));
    EXPECT_FALSE(result);

    TListEditor closed(nullptr, {"A"});
    result = true;
    ASSERT_TRUE(
        WhileShown<TListEditor>([&] { result = closed.Execute(); }, [](TListEditor& dialog) { dialog.close(); }));
    EXPECT_FALSE(result);
}

TEST(ListEditor, removingEveryLineAndOkGivesAnEmptyList)
{
    TListEditor dialog(nullptr, {"A", "B"});
    bool result = false;
    ASSERT_TRUE(WhileShown<TListEditor>([&] { result = dialog.Execute(); },
                                        [](TListEditor& shown) {
                                            shown.ApplyButton->setEnabled(true);
                                            shown.ApplyButton->click();  // a snapshot that OK must replace
                                            ASSERT_EQ(shown.GetItems().size(), 2);
                                            while (shown.ItemsListBox->count() > 0) {
                                                Select(shown, 0);
                                                shown.RemoveButton->click();
                                            }
                                            shown.OKButton->click();
                                        }));
    EXPECT_TRUE(result);
    EXPECT_TRUE(dialog.GetItems().isEmpty());
}
