// The keyboard, window titles and screen-reader names of the main window.
#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSet>
#include <QTabWidget>
#include <QTest>
#include <QTextEdit>

#include "dialogs/Interaction.h"
#include "tests/support/windows/WindowTest.h"

namespace {

class Keyboard : public WindowTest {
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        Start();
        ASSERT_TRUE(window);
        window->show();
        QApplication::setActiveWindow(window.get());
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    }

    void Press(QWidget* target, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QTest::keyClick(target, key, modifiers);
        QCoreApplication::processEvents();
    }

    QWidget* Focused() const { return QApplication::focusWidget(); }
};

}  // namespace

TEST_F(Keyboard, titlesAreTheCaptionsAlone)
{
    EXPECT_EQ(window->windowTitle(), "Your Company Name Solution Database");
    // Message boxes still carry the application's name, but no display name is
    // set that the window system would append to every title.
    EXPECT_EQ(QApplication::applicationDisplayName(), "Velmora Solutions Database");
    QCoreApplication::setApplicationName("probe");
    EXPECT_EQ(QApplication::applicationDisplayName(), "probe");
    Interaction::NameApplication();
}

TEST_F(Keyboard, altSOpensTheSetupMenuAndCtrlSSaves)
{
    Find<QLineEdit>("NameEdit")->setFocus();
    Press(Find<QLineEdit>("NameEdit"), Qt::Key_S, Qt::AltModifier);
    EXPECT_TRUE(Find<QMenu>("SetupMenu")->isVisible());
    EXPECT_NE(Focused(), Find<QPushButton>("SaveButton"));
    Find<QMenu>("SetupMenu")->close();
    EXPECT_EQ(Find<QPushButton>("SaveButton")->text(), "&Save");

    // The ticket still shows placeholders, so the save is refused, but it ran.
    Press(Find<QLineEdit>("NameEdit"), Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(fake->messages, QStringList({"Save Failed!!"}));
}

TEST_F(Keyboard, fileCommandsHaveTheirStandardShortcutsShownInTheMenu)
{
    const std::pair<QAction*, QKeySequence> expected[] = {
        {Find<QAction>("NewFileMenu"), QKeySequence("Ctrl+N")},
        {Find<QAction>("OpenFileMenu"), QKeySequence("Ctrl+O")},
        {Find<QAction>("SaveFileMenu"), QKeySequence("Ctrl+S")},
        {Find<QAction>("FindSolutionsFileMenu"), QKeySequence("Ctrl+F")},
        {Find<QAction>("ExitFileMenu"), QKeySequence("Ctrl+Q")},
    };
    for (const auto& [action, keys] : expected) {
        EXPECT_EQ(action->shortcut(), keys) << action->objectName().toStdString();
    }
    // Ctrl+N really starts a new ticket.
    Find<QLineEdit>("NameEdit")->setText("Typed");
    Press(Find<QLineEdit>("NameEdit"), Qt::Key_N, Qt::ControlModifier);
    EXPECT_EQ(Find<QLineEdit>("NameEdit")->text(), "Name");
}

TEST_F(Keyboard, tabLeavesTheTextFieldsAndReachesEveryPage)
{
    Find<QTextEdit>("ProblemRichEdit")->setFocus();
    Press(Find<QTextEdit>("ProblemRichEdit"), Qt::Key_Tab);
    EXPECT_EQ(Find<QTextEdit>("ProblemRichEdit")->toPlainText(), "") << "Tab typed a character";
    EXPECT_NE(Focused(), Find<QTextEdit>("ProblemRichEdit"));

    // Forwards from the description, the resolution is reached without going back.
    bool reachedResolution = false;
    for (int step = 0; step < 5 && !reachedResolution; ++step) {
        reachedResolution = Focused() == Find<QTextEdit>("ResolutionRichEdit");
        if (!reachedResolution)
            Press(Focused(), Qt::Key_Tab);
    }
    ASSERT_TRUE(reachedResolution);
    Press(Find<QTextEdit>("ResolutionRichEdit"), Qt::Key_Tab);
    EXPECT_EQ(Find<QTextEdit>("ResolutionRichEdit")->toPlainText(), "");
    Press(Focused(), Qt::Key_Tab, Qt::ShiftModifier);
    EXPECT_EQ(Focused(), Find<QTextEdit>("ResolutionRichEdit"));

    // Ctrl+Tab and Ctrl+Shift+Tab switch between the two pages.
    Press(Find<QTextEdit>("ResolutionRichEdit"), Qt::Key_Tab, Qt::ControlModifier);
    EXPECT_EQ(Find<QTabWidget>("ResolutionPageControl")->currentWidget(), Find<QWidget>("Comments"));
    Press(Focused(), Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(Find<QTabWidget>("ResolutionPageControl")->currentWidget(), Find<QWidget>("Resolution"));
}

TEST_F(Keyboard, everyControlHasItsOwnSpokenName)
{
    QSet<QString> names;
    int controls = 0;
    for (QWidget* widget : window->findChildren<QWidget*>()) {
        if (widget->focusPolicy() == Qt::NoFocus || !widget->isVisibleTo(window.get()) ||
            widget->objectName().isEmpty() || widget->objectName().startsWith("qt_"))
            continue;
        QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(widget);
        ASSERT_TRUE(accessible);
        const QString name = accessible->text(QAccessible::Name).trimmed();
        EXPECT_FALSE(name.isEmpty()) << widget->objectName().toStdString();
        EXPECT_FALSE(names.contains(name)) << name.toStdString() << " twice";
        names.insert(name);
        ++controls;
    }
    EXPECT_GE(controls, 20);
    EXPECT_TRUE(names.contains("Customer name"));
    EXPECT_TRUE(names.contains("Problem description"));
}

// Tab walks every control once round, in reading order: the customer, the
// ticket's figures, the system, Save and Close, then the two texts.
TEST_F(Keyboard, tabVisitsEveryControlInReadingOrderCloseIncluded)
{
    const QStringList expected = {"NameEdit",
                                  "AddressMemo",
                                  "CityComboBox",
                                  "StateComboBox",
                                  "ZipComboBox",
                                  "PhoneKindComboBox1",
                                  "PhoneNumberEdit1",
                                  "EmailEdit",
                                  "TechnicianComboBox",
                                  "SetupTechniciansButton",
                                  "AssignmentDatePicker",
                                  "CompleteCheckBox",
                                  "CompletedDatePicker",
                                  "ActualHoursEdit",
                                  "BillableHoursEdit",
                                  "JobStateComboBox",
                                  "PromisedCheckBox",
                                  "OperatingSystemComboBox",
                                  "SetupOperatingSystemsButton",
                                  "ImportSysInfoButton",
                                  "ViewSysInfoButton",
                                  "SaveButton",
                                  "CloseButton",
                                  "ProblemRichEdit"};
    Find<QLineEdit>("NameEdit")->setFocus();
    QCoreApplication::processEvents();
    QStringList visited;
    for (int step = 0; step < 80 && visited.size() < expected.size() && Focused(); ++step) {
        // A date field takes a Tab for each of its sections.
        if (visited.isEmpty() || visited.back() != Focused()->objectName())
            visited.append(Focused()->objectName());
        Press(Focused(), Qt::Key_Tab);
    }
    EXPECT_EQ(visited, expected);
}
