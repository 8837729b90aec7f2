// What the settings dialogs show a user at a glance: whole buttons at any
// scale, visible labels and hints, and a spoken name for every field.
#include <QAccessible>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSet>
#include <QTest>
#include <gtest/gtest.h>

#include "dialogs/GeneralEditorUnit.h"
#include "dialogs/ListEditorUnit.h"
#include "dialogs/OpenProblemDialogUnit.h"
#include "tests/support/controls/Controls.h"

namespace {

// The spoken names of the dialog's focusable controls; a blank or repeated
// name fails the test.
QSet<QString> SpokenNames(QWidget& dialog)
{
    QSet<QString> names;
    for (QWidget* widget : dialog.findChildren<QWidget*>()) {
        if (widget->focusPolicy() == Qt::NoFocus || widget->objectName().isEmpty() ||
            widget->objectName().startsWith("qt_"))
            continue;
        const QString name = QAccessible::queryAccessibleInterface(widget)->text(QAccessible::Name).trimmed();
        EXPECT_FALSE(name.isEmpty()) << widget->objectName().toStdString();
        EXPECT_FALSE(names.contains(name)) << name.toStdString() << " twice";
        names.insert(name);
    }
    return names;
}

// True when the widget lies wholly inside each of its parents up to the dialog
// (a parent clips what sticks out) and is as wide as its caption needs.
bool ShownWhole(QWidget& dialog, QWidget* widget)
{
    for (QWidget* item = widget; item != &dialog; item = item->parentWidget())
        if (!item->parentWidget()->rect().contains(item->geometry()))
            return false;
    return widget->width() >= widget->minimumSizeHint().width();
}

}  // namespace

// Also run with QT_SCALE_FACTOR=2 (see CMakeLists.txt).
TEST(DialogLayout, generalDialogShowsEveryButtonWholeAndNamesEveryField)
{
    TGeneralEditor dialog(nullptr);
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    for (QPushButton* button : {dialog.OKButton, dialog.CancelButton, dialog.ApplyButton, dialog.DataFileBrowseButton})
        EXPECT_TRUE(ShownWhole(dialog, button)) << button->objectName().toStdString();
    EXPECT_LT(dialog.OKButton->x(), dialog.CancelButton->x());
    EXPECT_LT(dialog.CancelButton->x() + dialog.CancelButton->width(), dialog.ApplyButton->x() + 1);

    QLabel* addressLabel = Control<QLabel>(dialog, "AddressLabel");
    EXPECT_TRUE(addressLabel->isVisible());
    EXPECT_EQ(addressLabel->buddy(), dialog.AddressMemo);

    const QSet<QString> names = SpokenNames(dialog);
    EXPECT_FALSE(names.contains("Business"));
    EXPECT_TRUE(names.contains("Business address"));
    EXPECT_TRUE(names.contains("Data file"));
}

TEST(DialogLayout, listEditorExplainsEnterAndItsMoveButtons)
{
    TListEditor dialog(nullptr, {"Amy"});
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    QLabel* hint = Control<QLabel>(dialog, "AddItemLabel");
    EXPECT_TRUE(hint->isVisible());
    EXPECT_TRUE(hint->text().contains("Enter"));
    EXPECT_EQ(hint->buddy(), dialog.AddItemEdit);
    EXPECT_EQ(dialog.MoveUpButton->toolTip(), "Move up");
    EXPECT_EQ(dialog.MoveDownButton->toolTip(), "Move down");
    EXPECT_TRUE(ShownWhole(dialog, dialog.ApplyButton));
    SpokenNames(dialog);
}

TEST(DialogLayout, openDialogNamesItsTwoSearchButtonsApart)
{
    TOpenProblemDialog dialog(nullptr, nullptr);
    const QSet<QString> names = SpokenNames(dialog);
    EXPECT_TRUE(names.contains("Search by customer name"));
    EXPECT_TRUE(names.contains("Search by problem description"));
}
