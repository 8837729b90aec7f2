#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <gtest/gtest.h>
#include <utility>
#include <vector>

#include "dialogs/GeneralEditorUnit.h"
#include "tests/support/windows/FakeInteraction.h"
#include "tests/support/windows/ModalDriver.h"

namespace {

QStringList AddressLines(const TGeneralEditor& dialog)
{
    return TGeneralEditor::MemoLines(dialog.AddressMemo);
}

// Shows a one-line address, stores it back untouched, and returns the memo lines.
QStringList ShowAndStore(const QString& address, QString& storedAgain)
{
    TGeneralEditor dialog(nullptr, "Co", address, {}, {}, "", "/data.fdb");
    const QStringList lines = AddressLines(dialog);
    dialog.StoreValues();
    storedAgain = dialog.GetAddress();
    return lines;
}

}  // namespace

TEST(GeneralEditor, formDescriptionTextsWithTheOwnerAlone)
{
    TGeneralEditor dialog(nullptr);
    EXPECT_EQ(dialog.windowTitle(), "General...");
    EXPECT_EQ(dialog.CompanyNameEdit->text(), "Your Company Name");
    EXPECT_EQ(AddressLines(dialog), (QStringList{"123 Example St", "Your Town, ST 67654"}));
    EXPECT_EQ(TGeneralEditor::MemoLines(dialog.PhonesMemo), QStringList{"(123) 456-7890x0123"});
    EXPECT_TRUE(TGeneralEditor::MemoLines(dialog.FaxesMemo).isEmpty());
    EXPECT_EQ(dialog.WebSiteEdit->text(), "");
    EXPECT_EQ(dialog.DataFileEdit->text(), "");
    EXPECT_FALSE(dialog.ApplyButton->isEnabled());
    EXPECT_EQ(dialog.DataFileBrowseButton->toolTip(), "Browse...");
    EXPECT_TRUE(dialog.GetCompanyName().isEmpty());
    for (const char* name :
         {"BusinessGroupBox", "NameLabel", "CompanyNameEdit", "AddressMemo", "PhonesLabel", "PhonesMemo", "FaxesLabel",
          "FaxesMemo", "WebSiteLabel", "WebSiteEdit", "DataFileLabel", "DataFileEdit", "DataFileBrowseButton",
          "BottmPanel", "OKButton", "CancelButton", "ApplyButton"})
        EXPECT_NE(dialog.findChild<QWidget*>(name), nullptr) << name;
}

TEST(GeneralEditor, valuesFillTheControls)
{
    TGeneralEditor dialog(nullptr, "Acme", "1 Road, Town, ST 12345", {"111", "", "333"}, {"901"}, "www.acme.example",
                          "/srv/Solutions.fdb");
    EXPECT_EQ(dialog.CompanyNameEdit->text(), "Acme");
    EXPECT_EQ(AddressLines(dialog), (QStringList{"1 Road", "Town, ST 12345"}));
    EXPECT_EQ(TGeneralEditor::MemoLines(dialog.PhonesMemo), (QStringList{"111", "", "333"}));
    EXPECT_EQ(TGeneralEditor::MemoLines(dialog.FaxesMemo), QStringList{"901"});
    EXPECT_EQ(dialog.WebSiteEdit->text(), "www.acme.example");
    EXPECT_EQ(dialog.DataFileEdit->text(), "/srv/Solutions.fdb");
    // Until the values are stored, the address is kept in its memo form.
    EXPECT_EQ(dialog.GetAddress(), "1 Road\r\nTown, ST 12345");
    EXPECT_EQ(dialog.GetPhones(), (QStringList{"111", "", "333"}));
}

TEST(GeneralEditor, addressRoundTrips)
{
    struct Case {
        QString oneLine;
        QStringList lines;
        QString storedAgain;
    };
    const Case cases[] = {
        {"123 Example St, Your Town, ST 67654",
         {"123 Example St", "Your Town, ST 67654"},
         "123 Example St, Your Town, ST 67654"},
        {"123 Example St, City, St ZIP", {"123 Example St", "City, St ZIP"}, "123 Example St, City, St ZIP"},
        {"PO Box 7 Quenbrook", {"PO Box 7 Quenbrook"}, "PO Box 7 Quenbrook"},
        {"", {}, ""},
        // Empty parts become empty lines and the rest follows.
        {"A,,B", {"A", "", "B"}, "A, , B"},
        {",Start", {"", "Start"}, ", Start"},
        // Without a space after the comma the break drops nothing.
        {"Mill Lane,Town", {"Mill Lane", "Town"}, "Mill Lane, Town"},
        // Past the end there is no space, so ", ST" at the end breaks the line.
        {"Town, ST", {"Town", "ST"}, "Town, ST"},
        {"Town, NY 1", {"Town, NY 1"}, "Town, NY 1"},
    };
    for (const Case& c : cases) {
        QString storedAgain;
        EXPECT_EQ(ShowAndStore(c.oneLine, storedAgain), c.lines) << c.oneLine.toStdString();
        EXPECT_EQ(storedAgain, c.storedAgain) << c.oneLine.toStdString();
    }
    EXPECT_EQ(TGeneralEditor::AddressToMemoText("123 Example St, City, St ZIP"), "123 Example St\r\nCity, St ZIP");
}

TEST(GeneralEditor, emptyMiddleLineSurvivesShowingTheAddressAgain)
{
    TGeneralEditor dialog(nullptr, "Co", "", {}, {}, "", "");
    dialog.AddressMemo->setPlainText("12 Mill Lane\n\nQuenbrook, ST 40411");
    dialog.StoreValues();
    const QString stored = dialog.GetAddress();
    EXPECT_EQ(stored, "12 Mill Lane, , Quenbrook, ST 40411");

    TGeneralEditor again(nullptr, "Co", stored, {}, {}, "", "");
    EXPECT_EQ(AddressLines(again), (QStringList{"12 Mill Lane", "", "Quenbrook, ST 40411"}));
}

TEST(GeneralEditor, storeTrimsTextsButKeepsPhoneAndFaxLinesAsTyped)
{
    TGeneralEditor dialog(nullptr, "Co", "x", {}, {}, "", "/given.fdb");
    dialog.CompanyNameEdit->setText("  Acme\t ");
    dialog.AddressMemo->setPlainText("  1 Road \n\tTown, ST 12345  ");
    dialog.PhonesMemo->setPlainText(" 555-0101 \n\n555-0103");
    dialog.FaxesMemo->setPlainText("\n901 ");
    dialog.WebSiteEdit->setText(" www.acme.example ");
    dialog.DataFileEdit->setText("  /srv/new.fdb  ");
    dialog.StoreValues();
    EXPECT_EQ(dialog.GetCompanyName(), "Acme");
    EXPECT_EQ(dialog.GetAddress(), "1 Road, Town, ST 12345");
    EXPECT_EQ(dialog.GetPhones(), (QStringList{" 555-0101 ", "", "555-0103"}));
    EXPECT_EQ(dialog.GetFaxes(), (QStringList{"", "901 "}));
    EXPECT_EQ(dialog.GetWebSite(), "www.acme.example");
    EXPECT_EQ(dialog.GetDataFile(), "/srv/new.fdb");

    // An emptied data file field keeps the path the dialog was given; the others may be emptied.
    TGeneralEditor emptied(nullptr, "Co", "x", {"1"}, {}, "www", "/given.fdb");
    emptied.CompanyNameEdit->setText(" ");
    emptied.AddressMemo->clear();
    emptied.PhonesMemo->clear();
    emptied.WebSiteEdit->clear();
    emptied.DataFileEdit->setText(" \t ");
    emptied.StoreValues();
    EXPECT_EQ(emptied.GetCompanyName(), "");
    EXPECT_EQ(emptied.GetAddress(), "");
    EXPECT_TRUE(emptied.GetPhones().isEmpty());
    EXPECT_EQ(emptied.GetWebSite(), "");
    EXPECT_EQ(emptied.GetDataFile(), "/given.fdb");
}

TEST(GeneralEditor, browseAsksForFireBirdFilesBesideTheProgram)
{
    FakeInteraction fake;
    TGeneralEditor dialog(nullptr, "Co", "x", {}, {}, "", "/given.fdb");
    fake.QueueFile("/srv/chosen/Other.fdb");
    dialog.DataFileBrowseButton->click();
    ASSERT_EQ(fake.fileRequests.size(), 1u);
    const Interaction::OpenFileRequest& request = fake.fileRequests.front();
    EXPECT_EQ(request.initialFolder, QCoreApplication::applicationDirPath());
    EXPECT_EQ(request.defaultExtension, "fdb");
    EXPECT_EQ(request.filter,
              "All files (*.*)|*.*|FireBird files (*.fdb;*.gdb)|*.gdb;*.fdb|InterBase files (*.gdb)|*.GDB");
    EXPECT_EQ(request.filterIndex, 2);
    EXPECT_EQ(dialog.DataFileEdit->text(), "/srv/chosen/Other.fdb");
    EXPECT_EQ(dialog.GetDataFile(), "/given.fdb");  // taken only when the values are stored

    dialog.DataFileBrowseButton->click();  // nothing queued: the user cancels
    EXPECT_EQ(fake.fileRequests.size(), 2u);
    EXPECT_EQ(dialog.DataFileEdit->text(), "/srv/chosen/Other.fdb");
}

TEST(GeneralEditor, okStoresAndCancelDoesNot)
{
    TGeneralEditor okDialog(nullptr, "Old", "1 Road", {}, {}, "", "/given.fdb");
    bool result = false;
    ASSERT_TRUE(WhileShown<TGeneralEditor>([&] { result = okDialog.Execute(); },
                                           [](TGeneralEditor& dialog) {
                                               dialog.CompanyNameEdit->setText(" New ");
                                               dialog.OKButton->click();
                                           }));
    EXPECT_TRUE(result);
    EXPECT_EQ(okDialog.GetCompanyName(), "New");
    EXPECT_EQ(okDialog.GetAddress(), "1 Road");

    TGeneralEditor cancelDialog(nullptr, "Old", "1 Road, Town", {}, {}, "", "/given.fdb");
    ASSERT_TRUE(WhileShown<TGeneralEditor>([&] { result = cancelDialog.Execute(); },
                                           [](TGeneralEditor& dialog) {
                                               dialog.CompanyNameEdit->setText("New");
                                               dialog.CancelButton->click();
                                           }));
    EXPECT_FALSE(result);
    EXPECT_EQ(cancelDialog.GetCompanyName(), "Old");
    EXPECT_EQ(cancelDialog.GetAddress(), "1 Road\r\nTown");
}

TEST(GeneralEditor, applyStoresWithoutClosingAndDisablesItself)
{
    TGeneralEditor dialog(nullptr, "Old", "", {}, {}, "", "");
    bool stillOpen = false;
    ASSERT_TRUE(WhileShown<TGeneralEditor>([&] { dialog.Execute(); },
                                           [&](TGeneralEditor& shown) {
                                               shown.CompanyNameEdit->setText("Applied");
                                               shown.ApplyButton->setEnabled(true);
                                               shown.ApplyButton->click();
                                               stillOpen = shown.isVisible();
                                               EXPECT_FALSE(shown.ApplyButton->isEnabled());
                                               EXPECT_EQ(shown.GetCompanyName(), "Applied");
                                           }));
    EXPECT_TRUE(stillOpen);
}

TEST(GeneralEditor, serverLoginShowsMaskedAndIsHandedBack)
{
    TGeneralEditor dialog(nullptr, "Co", "", {}, {}, "", "server/3050:/srv/Solutions.fdb");
    dialog.ShowServerLogin("clerk", "s3cret");
    EXPECT_EQ(dialog.DataFileUserEdit->text(), "clerk");
    EXPECT_EQ(dialog.DataFilePasswordEdit->echoMode(), QLineEdit::Password);
    dialog.DataFileUserEdit->setText("  desk2 ");
    dialog.DataFilePasswordEdit->setText(" pass word ");
    dialog.StoreValues();
    EXPECT_EQ(dialog.GetDataFileUser(), "desk2");
    EXPECT_EQ(dialog.GetDataFilePassword(), " pass word ");
}

// The engine reads a name before a colon as a machine: the dialog says which
// one as the path is typed, and takes a path to another machine only when the
// user confirms it.
TEST(GeneralEditor, theMachineAPathNamesIsShownAndAnotherServerIsTakenOnlyWhenConfirmed)
{
    for (const auto& [path, machine] :
         std::vector<std::pair<QString, QString>>{{"/srv/Solutions.fdb", "On this computer"},
                                                  {"C:\\Data\\Solutions.fdb", "On this computer"},
                                                  {"Data\\x:y.fdb", "On this computer"},
                                                  {"Data:2024.fdb", "On the server \"Data\""},
                                                  {"shop/3051:/srv/Solutions.fdb", "On the server \"shop/3051\""},
                                                  {"[::1]:/x.fdb", "On the server \"[::1]\""}}) {
        TGeneralEditor dialog(nullptr, "Co", "", {}, {}, "", "/old.fdb");
        dialog.DataFileEdit->setText(path);
        EXPECT_EQ(dialog.DataFileMachineLabel->text(), machine) << path.toStdString();
    }

    FakeInteraction fake;
    TGeneralEditor dialog(nullptr, "Co", "", {}, {}, "", "/old.fdb");
    bool result = true;
    ASSERT_TRUE(WhileShown<TGeneralEditor>([&] { result = dialog.Execute(); },
                                           [&](TGeneralEditor& shown) {
                                               shown.DataFileEdit->setText("Data:2024.fdb");
                                               shown.OKButton->click();
                                               EXPECT_TRUE(shown.isVisible());
                                               shown.ApplyButton->setEnabled(true);
                                               shown.ApplyButton->click();
                                               EXPECT_EQ(shown.GetDataFile(), "/old.fdb");
                                               fake.confirmAnswer = true;
                                               shown.OKButton->click();
                                           }));
    EXPECT_TRUE(result);
    EXPECT_EQ(dialog.GetDataFile(), "Data:2024.fdb");
    ASSERT_EQ(fake.questions.size(), 3);
    EXPECT_EQ(fake.questions[0],
              "The data file Data:2024.fdb is on the server \"Data\", not on this computer. Use it?");
}
