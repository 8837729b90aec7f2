// Saving tickets, checked in the data file with isql.
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QSpinBox>
#include <QTextEdit>

#include "dbframework/DBFrameWork_DBConnection.h"
#include "tests/support/windows/WindowTest.h"

class Save : public WindowTest {
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        UseDataFile(work.File("save.fdb"));
    }

    std::string Generator(const std::string& name)
    {
        return Value("SELECT GEN_ID(" + name + ", 0) AS G FROM RDB$DATABASE;", "G");
    }
};

TEST_F(Save, PlaceholdersLeft_FailsAndWritesNothing)
{
    Start();
    ASSERT_TRUE(window);
    Find<QPushButton>("SaveButton")->click();
    EXPECT_EQ(fake->messages, QStringList{"Save Failed!!"});
    EXPECT_TRUE(window->GetIsNewProblem());
    EXPECT_EQ(Count("Customer"), 0);
    EXPECT_EQ(Count("Problem"), 0);
    EXPECT_EQ(Generator("CustomerIDValue"), "0");
    EXPECT_EQ(Generator("ProblemIDValue"), "0");
}

TEST_F(Save, FirstSaveInsertsOneRowEachSecondSaveUpdates)
{
    Start();
    ASSERT_TRUE(window);
    FillTicket();
    Find<QDateEdit>("AssignmentDatePicker")->setDate(QDate(2004, 12, 25));
    Find<QCheckBox>("CompleteCheckBox")->setChecked(true);
    Find<QDateEdit>("CompletedDatePicker")->setDate(QDate(2005, 1, 3));
    Find<QSpinBox>("ActualHoursEdit")->setValue(5);
    Find<QSpinBox>("BillableHoursEdit")->setValue(3);
    Find<QTextEdit>("ProblemRichEdit")->setPlainText("No sound");
    Find<QTextEdit>("ResolutionRichEdit")->setPlainText("Driver");
    Find<QTextEdit>("CommentsRichEdit")->setPlainText("Happy");
    Find<QPushButton>("SaveButton")->click();
    EXPECT_EQ(fake->messages, QStringList{"Save Successfull!"});
    EXPECT_FALSE(window->GetIsNewProblem());
    EXPECT_EQ(window->GetCustomerID(), 1);
    EXPECT_EQ(window->GetProblemID(), 1);

    EXPECT_EQ(Count("Customer"), 1);
    EXPECT_EQ(Count("Problem"), 1);
    EXPECT_EQ(Count("SystemInfo"), 1);
    EXPECT_EQ(Generator("CustomerIDValue"), "1");
    EXPECT_EQ(Generator("ProblemIDValue"), "1");
    const std::string customer = Query("SELECT CustomerID, Name, Address, City, State, Zip FROM Customer;");
    EXPECT_EQ(ListValue(customer, "CUSTOMERID"), "1");
    EXPECT_EQ(ListValue(customer, "NAME"), "Smith");
    EXPECT_EQ(ListValue(customer, "ZIP"), "62701");
    EXPECT_EQ(Value("SELECT IIF(Address = '1 Main St' || ASCII_CHAR(13) || ASCII_CHAR(10) || 'Suite 2', 'yes', 'no') "
                    "AS JOINED FROM Customer;",
                    "JOINED"),
              "yes");
    const std::string problem = Query(
        "SELECT ProblemID, Technician, CAST(Assigned AS VARCHAR(30)) AS A, CAST(Completed AS VARCHAR(30)) AS C, "
        "BillableHours, ActualHours, CAST(Description AS VARCHAR(100)) AS D, CAST(Resolution AS VARCHAR(100)) AS R, "
        "CAST(Comment AS VARCHAR(100)) AS K, CustomerID FROM Problem;");
    EXPECT_EQ(ListValue(problem, "PROBLEMID"), "1");
    EXPECT_EQ(ListValue(problem, "TECHNICIAN"), "Ann");
    EXPECT_EQ(ListValue(problem, "A"), "2004-12-25 00:00:00.0000");
    EXPECT_EQ(ListValue(problem, "C"), "2005-01-03 00:00:00.0000");
    EXPECT_EQ(ListValue(problem, "BILLABLEHOURS"), "3");
    EXPECT_EQ(ListValue(problem, "ACTUALHOURS"), "5");
    EXPECT_EQ(ListValue(problem, "D"), "No sound");
    EXPECT_EQ(ListValue(problem, "R"), "Driver");
    EXPECT_EQ(ListValue(problem, "K"), "Happy");
    EXPECT_EQ(ListValue(problem, "CUSTOMERID"), "1");
    EXPECT_EQ(Value("SELECT ProblemID, OperatingSystem FROM SystemInfo;", "OPERATINGSYSTEM"), "Debian 12");

    // The second save rewrites the same rows.
    fake->messages.clear();
    Find<QTextEdit>("ResolutionRichEdit")->setPlainText("New driver");
    Find<QComboBox>("OperatingSystemComboBox")->setEditText("Debian 13");
    Find<QCheckBox>("CompleteCheckBox")->setChecked(false);
    Find<QAction>("SaveFileMenu")->trigger();
    EXPECT_EQ(fake->messages, QStringList{"Save Successfull!"});
    EXPECT_EQ(Count("Customer"), 1);
    EXPECT_EQ(Count("Problem"), 1);
    EXPECT_EQ(Count("SystemInfo"), 1);
    EXPECT_EQ(Generator("CustomerIDValue"), "1");
    EXPECT_EQ(Generator("ProblemIDValue"), "1");
    EXPECT_EQ(Value("SELECT CAST(Resolution AS VARCHAR(100)) AS R FROM Problem;", "R"), "New driver");
    // Complete unchecked stores NULL.
    EXPECT_EQ(Value("SELECT IIF(Completed IS NULL, 'null', 'set') AS C FROM Problem;", "C"), "null");
    EXPECT_EQ(Value("SELECT OperatingSystem FROM SystemInfo;", "OPERATINGSYSTEM"), "Debian 13");
}

TEST_F(Save, SecondTicketOfStoredCustomer_ReusesItsKey)
{
    Start();
    ASSERT_TRUE(window);
    FillTicket("Jones");
    ASSERT_TRUE(window->SaveProblem());
    FillTicket("Another");
    window->NewFileMenuClick();
    FillTicket("Smith");
    ASSERT_TRUE(window->SaveProblem());
    window->NewFileMenuClick();
    FillTicket("Smith");
    Find<QTextEdit>("ProblemRichEdit")->setPlainText("Second problem");
    ASSERT_TRUE(window->SaveProblem());
    EXPECT_EQ(window->GetCustomerID(), 2);
    EXPECT_EQ(window->GetProblemID(), 3);
    EXPECT_EQ(Count("Customer"), 2);
    EXPECT_EQ(Count("Problem"), 3);
    EXPECT_EQ(Generator("CustomerIDValue"), "2");
    EXPECT_EQ(Value("SELECT COUNT(*) AS N FROM Problem WHERE CustomerID = 2;", "N"), "2");
}

TEST_F(Save, DayFirstLocale_StoresThePickedDate)
{
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    Start();
    ASSERT_TRUE(window);
    EXPECT_EQ(Find<QDateEdit>("AssignmentDatePicker")->displayFormat(), "dd.MM.yyyy");
    FillTicket();
    Find<QDateEdit>("AssignmentDatePicker")->setDate(QDate(2004, 3, 7));
    Find<QCheckBox>("CompleteCheckBox")->setChecked(true);
    Find<QDateEdit>("CompletedDatePicker")->setDate(QDate(2004, 12, 25));
    ASSERT_TRUE(window->SaveProblem());
    const std::string problem = Query("SELECT CAST(Assigned AS DATE) AS A, CAST(Completed AS DATE) AS C FROM Problem;");
    EXPECT_EQ(ListValue(problem, "A"), "2004-03-07");
    EXPECT_EQ(ListValue(problem, "C"), "2004-12-25");
}

TEST_F(Save, SavedTicketWithChangedCustomer_AddsThatCustomer)
{
    Start();
    ASSERT_TRUE(window);
    FillTicket("Smith");
    ASSERT_TRUE(window->SaveProblem());
    ASSERT_FALSE(window->GetIsNewProblem());

    Find<QLineEdit>("NameEdit")->setText("Miller");
    Find<QPushButton>("SaveButton")->click();
    EXPECT_EQ(fake->messages.last(), "Save Successfull!");
    EXPECT_EQ(window->GetCustomerID(), 2);
    EXPECT_EQ(window->GetProblemID(), 1);
    EXPECT_EQ(Count("Customer"), 2);
    EXPECT_EQ(Count("Problem"), 1);
    EXPECT_EQ(Value("SELECT CustomerID FROM Problem;", "CUSTOMERID"), "2");
    EXPECT_EQ(Value("SELECT Name FROM Customer WHERE CustomerID = 2;", "NAME"), "Miller");
}

TEST_F(Save, FailureRollsBackTheWholeTicket_RetryStoresItOnceWithTheDrawnKey)
{
    Start();
    ASSERT_TRUE(window);
    // The system-information row fails after the customer and problem rows
    // went in: neither of them stays.
    FillTicket();
    Find<QComboBox>("OperatingSystemComboBox")->setEditText(QString(121, 'x'));
    Find<QPushButton>("SaveButton")->click();
    EXPECT_EQ(fake->messages, QStringList{"Save Failed!!"});
    EXPECT_TRUE(window->GetIsNewProblem());
    EXPECT_EQ(Count("Customer"), 0);
    EXPECT_EQ(Count("Problem"), 0);
    EXPECT_EQ(Count("SystemInfo"), 0);
    EXPECT_FALSE(window->GetConnection()->IsTransactionActive());

    // The retry keeps the problem key drawn before; the customer key drawn
    // then is lost (generators are not rolled back).
    Find<QComboBox>("OperatingSystemComboBox")->setEditText("Debian 12");
    Find<QTextEdit>("ProblemRichEdit")->setPlainText("No sound");
    EXPECT_TRUE(window->SaveProblem());
    EXPECT_FALSE(window->GetIsNewProblem());
    EXPECT_EQ(window->GetProblemID(), 1);
    EXPECT_EQ(window->GetCustomerID(), 2);
    EXPECT_EQ(Count("Customer"), 1);
    EXPECT_EQ(Count("Problem"), 1);
    EXPECT_EQ(Count("SystemInfo"), 1);
    EXPECT_EQ(Generator("ProblemIDValue"), "1");
    EXPECT_EQ(Value("SELECT ProblemID || ' ' || CustomerID AS K FROM Problem;", "K"), "1 2");
    EXPECT_EQ(Value("SELECT ProblemID FROM SystemInfo;", "PROBLEMID"), "1");

    // An update of a stored ticket that fails halfway leaves the stored rows
    // as they were: the problem row's new text is rolled back with the rest.
    Find<QTextEdit>("ProblemRichEdit")->setPlainText("Changed");
    Find<QComboBox>("OperatingSystemComboBox")->setEditText(QString(121, 'y'));
    EXPECT_FALSE(window->SaveProblem());
    EXPECT_EQ(Value("SELECT CAST(Description AS VARCHAR(20)) AS D FROM Problem;", "D"), "No sound");
    EXPECT_EQ(Value("SELECT OperatingSystem FROM SystemInfo;", "OPERATINGSYSTEM"), "Debian 12");

    // The problem row itself fails, then the next attempt stores it once.
    window->NewFileMenuClick();
    FillTicket("Second");
    Find<QComboBox>("TechnicianComboBox")->setEditText(QString(121, 't'));
    EXPECT_FALSE(window->SaveProblem());
    EXPECT_EQ(Count("Customer"), 1);
    EXPECT_EQ(Count("Problem"), 1);
    Find<QComboBox>("TechnicianComboBox")->setEditText("Ann");
    EXPECT_TRUE(window->SaveProblem());
    EXPECT_EQ(window->GetProblemID(), 2);
    EXPECT_EQ(Count("Problem"), 2);
    EXPECT_EQ(Count("SystemInfo"), 2);
    EXPECT_EQ(Generator("ProblemIDValue"), "2");
}

TEST_F(Save, StoredTicketWithoutSystemInfoRow_GetsOne)
{
    Start();
    ASSERT_TRUE(window);
    FillTicket();
    ASSERT_TRUE(window->SaveProblem());
    Query("DELETE FROM SystemInfo; COMMIT;");
    ASSERT_EQ(Count("SystemInfo"), 0);

    Find<QComboBox>("OperatingSystemComboBox")->setEditText("Windows XP");
    Find<QPushButton>("SaveButton")->click();
    EXPECT_EQ(fake->messages.last(), "Save Successfull!");
    EXPECT_EQ(Count("SystemInfo"), 1);
    EXPECT_EQ(Value("SELECT OperatingSystem FROM SystemInfo WHERE ProblemID = 1;", "OPERATINGSYSTEM"), "Windows XP");
}

TEST_F(Save, UnreadableGenerator_FailsWithoutStoringKeyZero)
{
    Start();
    ASSERT_TRUE(window);
    Query("DROP GENERATOR CustomerIDValue; COMMIT;");
    FillTicket();
    Find<QPushButton>("SaveButton")->click();
    EXPECT_EQ(fake->messages, QStringList{"Save Failed!!"});
    EXPECT_EQ(Count("Customer"), 0);
    EXPECT_EQ(Count("Problem"), 0);
}

TEST_F(Save, AFullDiskFailsTheSaveAndTheSameTicketIsSavedOnceThereIsRoomAgain)
{
    const std::string disk = work.File("disk");
    TestSupport::SmallDisk small(disk, 8 * 1024);
    if (!small.Why().empty())
        GTEST_SKIP() << "full-disk save not tried: " << small.Why();
    UseDataFile(disk + "/save.fdb");
    Start();
    ASSERT_TRUE(window);

    // A report of 4 MB, kept off the small disk.
    const std::string report = work.File("report.htm");
    std::string text = "<html><body>";
    for (int line = 0; text.size() < 4u * 1024 * 1024; ++line)
        text += "<p>Device " + std::to_string(line) + " reports no problems at all</p>\n";
    TestSupport::WriteFile(report, text + "</body></html>");
    FillTicket();
    fake->QueueFile(QString::fromStdString(report));
    Find<QPushButton>("ImportSysInfoButton")->click();
    fake->messages.clear();
    const size_t reportSize = window->GetSystemInfoText().size();
    ASSERT_GT(reportSize, 4u * 1024 * 1024);

    const std::string filler = disk + "/filler";
    TestSupport::FillDisk(filler);
    for (int attempt = 1; attempt <= 2; ++attempt) {
        Find<QPushButton>("SaveButton")->click();
        EXPECT_EQ(fake->messages, QStringList{"Save Failed!!"}) << "attempt " << attempt;
        fake->messages.clear();
    }
    std::filesystem::remove(filler);
    Find<QPushButton>("SaveButton")->click();
    EXPECT_EQ(fake->messages, QStringList{"Save Successfull!"});
    EXPECT_FALSE(window->GetIsNewProblem());
    window.reset();
    EXPECT_EQ(Count("Problem"), 1);
    EXPECT_EQ(Count("SystemInfo"), 1);
    EXPECT_EQ(Value("SELECT OCTET_LENGTH(Description) AS L FROM SystemInfo;", "L"), std::to_string(reportSize));
}
