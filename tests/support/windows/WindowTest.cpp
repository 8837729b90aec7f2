#include "tests/support/windows/WindowTest.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QLocale>
#include <sstream>

#include "dbframework/DBFrameWork_DBConnection.h"

void WindowTest::SetUp()
{
    previousFolder = std::filesystem::current_path();
    std::filesystem::current_path(work.Path());
    std::filesystem::create_directory(paths.Folder.toStdString());
    fake = std::make_unique<FakeInteraction>();
    dataFile = work.File("Data/Solutions.fdb");
}

void WindowTest::TearDown()
{
    window.reset();
    fake.reset();
    QLocale::setDefault(QLocale::system());
    std::filesystem::current_path(previousFolder);
}

void WindowTest::WriteSettings(const std::string& content)
{
    TestSupport::WriteFile(paths.SettingsFile.toStdString(), content);
}

void WindowTest::UseDataFile(const std::string& path, const std::string& moreGeneral, const std::string& sections)
{
    dataFile = path;
    WriteSettings("[General]\nData File=" + path + "\n" + moreGeneral + sections);
}

void WindowTest::Start()
{
    try {
        window = std::make_unique<TMainForm>(paths);
    } catch (const std::exception& error) {
        FAIL() << "start-up failed: " << error.what();
    }
}

void WindowTest::FillTicket(const QString& name)
{
    Find<QLineEdit>("NameEdit")->setText(name);
    window->SetAddressText("1 Main St\r\nSuite 2");
    Find<QComboBox>("CityComboBox")->setEditText("Springfield");
    Find<QComboBox>("StateComboBox")->setEditText("IL");
    Find<QComboBox>("ZipComboBox")->setEditText("62701");
    Find<QComboBox>("TechnicianComboBox")->setEditText("Ann");
    Find<QComboBox>("OperatingSystemComboBox")->setEditText("Debian 12");
}

std::string WindowTest::Query(const std::string& sql)
{
    DBFrameWork::DBConnection* connection = window ? window->GetConnection() : nullptr;
    const bool release = connection && connection->Connected;
    if (release)
        connection->Disconnect();
    const std::string output = TestSupport::Isql(dataFile, "SET LIST ON;\n" + sql);
    if (release) {
        EXPECT_TRUE(connection->Connect());
    }
    return output;
}

std::string WindowTest::Value(const std::string& sql, const std::string& column)
{
    return ListValue(Query(sql), column);
}

int WindowTest::Count(const std::string& table)
{
    const std::string text = Value("SELECT COUNT(*) AS N FROM " + table + ";", "N");
    return text.empty() ? -1 : std::stoi(text);
}

std::string ListValue(const std::string& output, const std::string& column)
{
    std::istringstream lines(output);
    std::string line;
    while (std::getline(lines, line)) {
        if (line.compare(0, column.size(), column) != 0 || line.size() == column.size() || line[column.size()] != ' ')
            continue;
        const size_t start = line.find_first_not_of(' ', column.size());
        if (start == std::string::npos)
            return "";
        std::string value = line.substr(start);
        while (!value.empty() && (value.back() == ' ' || value.back() == '\r'))
            value.pop_back();
        return value;
    }
    return "";
}
