// A fixture for tests through the real main window: its own working folder,
// a clean executable folder, fake message boxes, and isql checks of the data file.
#pragma once

#include <QString>
#include <filesystem>
#include <gtest/gtest.h>
#include <memory>
#include <string>

#include "app/MainUnit.h"
#include "tests/support/controls/Controls.h"
#include "tests/support/datafiles/TestSupport.h"
#include "tests/support/windows/FakeInteraction.h"

class WindowTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Writes Quenbrook.ini beside the executable.
    void WriteSettings(const std::string& content);
    // Settings that name a data file in the working folder, plus extra lines.
    void UseDataFile(const std::string& path, const std::string& moreGeneral = "", const std::string& sections = "");
    // Constructs the window; a failure fails the test.
    void Start();
    // The window's control of that object name; a missing one fails the test.
    template <class T>
    T* Find(const char* name)
    {
        return Control<T>(*window, name);
    }
    // Fills the seven checked fields with a customer that is not a placeholder.
    void FillTicket(const QString& name = "Smith");

    // Runs SQL on the data file with the window's connection released for the
    // moment, and returns isql's output ("SET LIST ON" form).
    std::string Query(const std::string& sql);
    // The value of the first "COLUMN value" line of a list-form query.
    std::string Value(const std::string& sql, const std::string& column);
    int Count(const std::string& table);

    TestSupport::TempDir work;
    // The window's own files live in a folder of the test, never beside the executable.
    ProgramPaths paths = ProgramPaths::InFolder(QString::fromStdString(work.File("program")));
    std::string dataFile;  // absolute path of the data file in use
    std::filesystem::path previousFolder;
    std::unique_ptr<FakeInteraction> fake;
    std::unique_ptr<TMainForm> window;
};

// The list-form value of a column in isql output, "" when absent.
std::string ListValue(const std::string& output, const std::string& column);
