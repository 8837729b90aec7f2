#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "settings/Quenbrook_Configuration.h"
#include "tests/support/datafiles/TestSupport.h"

using Quenbrook::Configuration;
using TestSupport::FileExists;
using TestSupport::ReadFile;
using TestSupport::TempDir;
using TestSupport::WriteFile;

namespace {

std::string DataPath(const std::string& name)
{
    return std::string(VELMORA_TEST_DATA_DIR) + "/" + name;
}

// A copy of a committed file in a temporary folder, so no test changes the original.
std::string CopyOfData(const TempDir& dir, const std::string& name)
{
    const std::string path = dir.File(name);
    WriteFile(path, ReadFile(DataPath(name)));
    return path;
}

std::vector<std::string> Technicians(const Configuration& config)
{
    std::vector<std::string> names;
    for (int32_t n = 1; !config.GetTechnician(n).empty(); ++n)
        names.push_back(config.GetTechnician(n));
    return names;
}

std::vector<std::string> OperatingSystems(const Configuration& config)
{
    std::vector<std::string> names;
    for (int32_t n = 1; !config.GetOperatingSystem(n).empty(); ++n)
        names.push_back(config.GetOperatingSystem(n));
    return names;
}

std::vector<std::string> Numbers(const Configuration& config, const std::string& kind)
{
    std::vector<std::string> numbers;
    for (int n = 1; !config.GetNumber(kind + std::to_string(n)).empty(); ++n)
        numbers.push_back(config.GetNumber(kind + std::to_string(n)));
    return numbers;
}

Configuration LoadedFrom(const std::string& path)
{
    Configuration config;
    EXPECT_TRUE(config.Load(path)) << path;
    return config;
}

using Names = std::vector<std::string>;

}  // namespace

TEST(ConfigurationLoad, missingFileGivesDefaultsAndCreatesNothing)
{
    TempDir dir;
    const std::string path = dir.File("Quenbrook.ini");
    Configuration config;
    ASSERT_TRUE(config.Load(path));
    EXPECT_EQ(config.GetFileName(), path);
    EXPECT_EQ(config.GetCompanyName(), "Your Company Name");
    EXPECT_EQ(config.GetAddress(), "123 Example St, City, St ZIP");
    EXPECT_EQ(config.GetDataFile(), "./Data/Solutions.fdb");
    EXPECT_EQ(config.GetWebSite(), "");
    EXPECT_TRUE(Technicians(config).empty());
    EXPECT_TRUE(OperatingSystems(config).empty());
    EXPECT_TRUE(Numbers(config, "Phone").empty());
    EXPECT_FALSE(FileExists(path));

    // A folder on the way that does not exist reads as a missing file too.
    Configuration nowhere;
    EXPECT_TRUE(nowhere.Load(dir.File("no/such/folder/Quenbrook.ini")));
    EXPECT_EQ(nowhere.GetCompanyName(), "Your Company Name");
    EXPECT_FALSE(FileExists(dir.File("no")));
}

TEST(ConfigurationLoad, emptyNameKeepsTheFileNameInUse)
{
    TempDir dir;
    const std::string path = dir.File("settings.ini");
    WriteFile(path, "[General]\nCompany Name=Kept\n");
    Configuration config;
    ASSERT_TRUE(config.Load(path));
    ASSERT_TRUE(config.Load(""));
    EXPECT_EQ(config.GetFileName(), path);
}

TEST(ConfigurationLoad, neverWritesTheFile)
{
    TempDir dir;
    const std::string path = CopyOfData(dir, "windows_crlf.ini");
    const std::string before = ReadFile(path);
    struct stat statBefore {};
    ASSERT_EQ(stat(path.c_str(), &statBefore), 0);
    Configuration config;
    ASSERT_TRUE(config.Load(path));
    struct stat statAfter {};
    ASSERT_EQ(stat(path.c_str(), &statAfter), 0);
    EXPECT_EQ(ReadFile(path), before);
    EXPECT_EQ(statAfter.st_mtim.tv_sec, statBefore.st_mtim.tv_sec);
    EXPECT_EQ(statAfter.st_mtim.tv_nsec, statBefore.st_mtim.tv_nsec);
}

TEST(ConfigurationLoad, folderInPlaceOfTheFileFails)
{
    TempDir dir;
    Configuration config;
    EXPECT_FALSE(config.Load(dir.Path()));
    EXPECT_EQ(config.GetFileName(), dir.Path());
}

TEST(ConfigurationLoad, emptyValuesAndGapsInTheNumberedSeries)
{
    TempDir dir;
    const Configuration config = LoadedFrom(CopyOfData(dir, "gaps.ini"));
    // Present but empty: not the default.
    EXPECT_EQ(config.GetCompanyName(), "");
    EXPECT_EQ(config.GetWebSite(), "");
    EXPECT_EQ(config.GetAddress(), "1 High St, Town, ST 11111");
    EXPECT_EQ(config.GetDataFile(), "./Data/Solutions.fdb");
    // Phone4 is past the missing Phone3, Fax2 past the missing Fax1.
    EXPECT_EQ(Numbers(config, "Phone"), (Names{"111", "222"}));
    EXPECT_EQ(config.GetNumber("Phone4"), "");
    EXPECT_TRUE(Numbers(config, "Fax").empty());
    // Technician 2 is empty, so 3 is never reached; operating systems lack 1.
    EXPECT_EQ(Technicians(config), (Names{"Ann"}));
    EXPECT_TRUE(OperatingSystems(config).empty());
}

TEST(ConfigurationLoad, fileWrittenOnWindowsLoadsLikeOneWrittenHere)
{
    TempDir dir;
    const std::string windowsFile = CopyOfData(dir, "windows_crlf.ini");
    ASSERT_NE(ReadFile(windowsFile).find("\r\n"), std::string::npos);
    ASSERT_EQ(ReadFile(windowsFile).compare(0, 3, "\xEF\xBB\xBF"), 0);
    const Configuration windows = LoadedFrom(windowsFile);
    const Configuration unix = LoadedFrom(CopyOfData(dir, "unix_lf.ini"));

    for (const Configuration* config : {&windows, &unix}) {
        EXPECT_EQ(config->GetCompanyName(), "Velmora Computer Care");
        EXPECT_EQ(config->GetAddress(), "12 Mill Lane, Quenbrook, ST 40411");
        EXPECT_EQ(config->GetDataFile(), "C:\\Velmora\\Data\\Solutions.fdb");
        EXPECT_EQ(config->GetWebSite(), "www.velmora.example");
        EXPECT_EQ(Numbers(*config, "Phone"), (Names{"555-0101", "555-0102"}));
        EXPECT_EQ(Numbers(*config, "Fax"), (Names{"555-0190"}));
        EXPECT_EQ(Technicians(*config), (Names{"Ann Porter", "Bill Reyes"}));
        EXPECT_EQ(OperatingSystems(*config), (Names{"Windows 98", "Windows XP", "Windows 2000"}));
    }
}

TEST(ConfigurationLoad, valuesAreCutTo2047Characters)
{
    TempDir dir;
    const std::string path = dir.File("long.ini");
    const std::string longName(3000, 'n');
    const std::string exact(2047, 'e');
    // 2046 ASCII letters then a two-byte character: the cut must not split it.
    const std::string accented = std::string(2046, 'a') + "\xC3\xA9" + "tail";
    WriteFile(path,
              "[General]\nCompany Name=" + longName + "\nAddress=" + exact + "\nWebSite=" + accented +
                  "\n[Technicians]\n1=" + longName + "\n");
    const Configuration config = LoadedFrom(path);
    EXPECT_EQ(config.GetCompanyName(), std::string(2047, 'n'));
    EXPECT_EQ(config.GetAddress(), exact);
    EXPECT_EQ(config.GetWebSite(), std::string(2046, 'a'));
    EXPECT_EQ(config.GetTechnician(1), std::string(2047, 'n'));
}

TEST(ConfigurationLoad, badInputLoadsWhatItCan)
{
    TempDir dir;
    {
        // Random bytes and NULs around real sections.
        const Configuration config = LoadedFrom(CopyOfData(dir, "junk.bin.ini"));
        EXPECT_EQ(config.GetCompanyName(), "After The Junk");
        // A file that is not UTF-8 reads in the Windows code page: byte FF is "ÿ".
        EXPECT_EQ(Technicians(config),
                  (Names{"Ann",
                         "Bo\xC3\xBF"
                         "b"}));
    }
    {
        // Duplicate keys and sections, any case: the first value counts.
        const Configuration config = LoadedFrom(CopyOfData(dir, "duplicates.ini"));
        EXPECT_EQ(config.GetCompanyName(), "First Name");
        EXPECT_EQ(Numbers(config, "Phone"), (Names{"111"}));
        EXPECT_EQ(Technicians(config), (Names{"Ann", "Cy"}));
        EXPECT_EQ(config.GetWebSite(), "www.late.example");
    }
    {
        // Keys outside any section belong to none of ours.
        const Configuration config = LoadedFrom(CopyOfData(dir, "no_sections.ini"));
        EXPECT_EQ(config.GetCompanyName(), "Your Company Name");
        EXPECT_TRUE(Numbers(config, "Phone").empty());
        EXPECT_TRUE(Technicians(config).empty());
    }
    {
        // Lines of several megabytes, a value and a comment, around the real values.
        const std::string path = dir.File("huge.ini");
        WriteFile(path,
                  "[Other]\nNoise=" + std::string(4 * 1024 * 1024, 'x') + "\n[General]\nCompany Name=Still Here\n" +
                      std::string(1024 * 1024, '#') + "\nPhone1=42\n");
        const Configuration config = LoadedFrom(path);
        EXPECT_EQ(config.GetCompanyName(), "Still Here");
        EXPECT_EQ(config.GetNumber("Phone1"), "42");
    }
    {
        const std::string path = dir.File("empty.ini");
        WriteFile(path, "");
        const Configuration config = LoadedFrom(path);
        EXPECT_EQ(config.GetAddress(), "123 Example St, City, St ZIP");
    }
}

TEST(ConfigurationLists, positionsCountFromOneAndAppendPastTheEnd)
{
    Configuration config;
    config.SetTechnician(1, "Ann");
    config.SetTechnician(2, "Bob");
    config.SetTechnician(5, "Cy");
    EXPECT_EQ(Technicians(config), (Names{"Ann", "Bob", "Cy"}));
    config.SetTechnician(2, "Bea");
    EXPECT_EQ(Technicians(config), (Names{"Ann", "Bea", "Cy"}));
    EXPECT_EQ(config.GetTechnician(0), "");
    EXPECT_EQ(config.GetTechnician(-1), "");
    EXPECT_EQ(config.GetTechnician(4), "");
    config.ClearTechnicians();
    EXPECT_EQ(config.GetTechnician(1), "");

    config.SetOperatingSystem(3, "Linux");
    EXPECT_EQ(config.GetOperatingSystem(1), "Linux");
    EXPECT_EQ(config.GetOperatingSystem(2), "");
    config.ClearOperatingSystems();
    EXPECT_EQ(config.GetOperatingSystem(1), "");
}

TEST(ConfigurationNumbers, keyIsMatchedWholeNotAsPartOfAnother)
{
    Configuration config;
    for (int n = 1; n <= 10; ++n)
        config.AddNumber("Phone" + std::to_string(n), "555-01" + std::to_string(n));
    config.AddNumber("Fax1", "see Phone1 first");
    EXPECT_EQ(config.GetNumber("Phone1"), "555-011");
    EXPECT_EQ(config.GetNumber("Phone10"), "555-0110");
    EXPECT_EQ(config.GetNumber("Fax1"), "see Phone1 first");
    EXPECT_EQ(config.GetNumber("Phone11"), "");
    EXPECT_EQ(config.GetNumber("hone1"), "");

    // A phone whose number holds the text of a fax key is not a fax.
    Configuration tricky;
    tricky.AddNumber("Phone1", "Fax1 is below");
    EXPECT_EQ(tricky.GetNumber("Fax1"), "");
    tricky.ClearNumbers();
    EXPECT_EQ(tricky.GetNumber("Phone1"), "");
}

TEST(ConfigurationSave, newFileHoldsTheValuesInTheirOrder)
{
    TempDir dir;
    Configuration config;
    ASSERT_TRUE(config.Load(dir.File("Quenbrook.ini")));
    config.SetCompanyName("Acme Repairs");
    config.SetAddress("1 Road, Town, ST 12345");
    config.SetDataFile("/srv/data/Solutions.fdb");
    config.ClearNumbers();
    config.AddNumber("Phone1", "111");
    config.AddNumber("Phone2", "222");
    config.AddNumber("Fax1", "901");
    config.SetWebSite("www.acme.example");
    config.SetTechnician(1, "Ann");
    config.SetTechnician(2, "Bob");
    config.SetOperatingSystem(1, "Windows XP");
    ASSERT_TRUE(config.Save());

    EXPECT_EQ(ReadFile(dir.File("Quenbrook.ini")),
              "[General]\n"
              "Company Name=Acme Repairs\n"
              "Address=1 Road, Town, ST 12345\n"
              "Data File=/srv/data/Solutions.fdb\n"
              "Phone1=111\n"
              "Phone2=222\n"
              "Fax1=901\n"
              "WebSite=www.acme.example\n"
              "Backup On Exit=1\n"
              "Backup Copies=10\n"
              "Search Language=english\n"
              "\n\n"
              "[Technicians]\n"
              "1=Ann\n"
              "2=Bob\n"
              "\n\n"
              "[Operating Systems]\n"
              "1=Windows XP\n");
}

TEST(ConfigurationSave, roundTripThroughAFreshObject)
{
    TempDir dir;
    const std::string path = dir.File("Quenbrook.ini");
    Configuration config;
    ASSERT_TRUE(config.Load(path));
    config.SetCompanyName("  Spaced  Name");
    config.SetAddress("Line one\nLine two");
    for (int n = 1; n <= 12; ++n)
        config.AddNumber("Phone" + std::to_string(n), std::to_string(1000 + n));
    config.AddNumber("Fax1", "77");
    config.SetTechnician(1, "Zoë Ünal");
    config.SetOperatingSystem(1, "[Technicians]");
    config.SetOperatingSystem(2, "a=b");
    ASSERT_TRUE(config.Save());

    const Configuration loaded = LoadedFrom(path);
    // Outer blanks are not kept by the file format; inner ones are.
    EXPECT_EQ(loaded.GetCompanyName(), "Spaced  Name");
    // A line break never splits a value over two lines of the file.
    EXPECT_EQ(loaded.GetAddress(), "Line one Line two");
    EXPECT_EQ(Numbers(loaded, "Phone").size(), 12u);
    EXPECT_EQ(loaded.GetNumber("Phone1"), "1001");
    EXPECT_EQ(loaded.GetNumber("Phone12"), "1012");
    EXPECT_EQ(Numbers(loaded, "Fax"), (Names{"77"}));
    EXPECT_EQ(Technicians(loaded), (Names{"Zoë Ünal"}));
    EXPECT_EQ(OperatingSystems(loaded), (Names{"[Technicians]", "a=b"}));
    EXPECT_EQ(loaded.GetDataFile(), "./Data/Solutions.fdb");
}

TEST(ConfigurationSave, shorterListsLeaveNoStaleKeys)
{
    TempDir dir;
    const std::string path = dir.File("Quenbrook.ini");
    WriteFile(path,
              "; kept comment\n[General]\nCompany Name=Old\nPhone1=1\nPhone2=2\nPhone3=3\nPhone7=7\n"
              "Fax1=91\nFax2=92\nPhoneBook=keep me\nWebSite=www.old.example\n"
              "[Technicians]\n1=A\n2=B\n3=C\n4=D\n5=E\nNote=keep\n"
              "[Operating Systems]\n1=X\n2=Y\n"
              "[Other]\nAnything=kept\n");
    Configuration config = LoadedFrom(path);
    ASSERT_EQ(Technicians(config).size(), 5u);
    config.ClearNumbers();
    config.AddNumber("Phone1", "100");
    config.ClearTechnicians();
    config.SetTechnician(1, "Ann");
    config.SetTechnician(2, "Bob");
    config.SetTechnician(3, "Cy");
    config.ClearOperatingSystems();
    config.SetWebSite("");
    ASSERT_TRUE(config.Save());

    const std::string text = ReadFile(path);
    EXPECT_EQ(text.find("Phone2"), std::string::npos);
    EXPECT_EQ(text.find("Phone7"), std::string::npos);
    EXPECT_EQ(text.find("Fax"), std::string::npos);
    EXPECT_EQ(text.find("4=D"), std::string::npos);
    EXPECT_EQ(text.find("[Operating Systems]"), std::string::npos);
    EXPECT_NE(text.find("PhoneBook=keep me"), std::string::npos);
    EXPECT_NE(text.find("Note=keep"), std::string::npos);
    EXPECT_NE(text.find("Anything=kept"), std::string::npos);
    EXPECT_NE(text.find("; kept comment"), std::string::npos);

    const Configuration loaded = LoadedFrom(path);
    EXPECT_EQ(Numbers(loaded, "Phone"), (Names{"100"}));
    EXPECT_TRUE(Numbers(loaded, "Fax").empty());
    EXPECT_EQ(Technicians(loaded), (Names{"Ann", "Bob", "Cy"}));
    EXPECT_TRUE(OperatingSystems(loaded).empty());
    // An empty web site leaves the stored one alone.
    EXPECT_EQ(loaded.GetWebSite(), "www.old.example");
}

TEST(ConfigurationSave, emptyTextsLeaveStoredValuesAlone)
{
    TempDir dir;
    const std::string path = dir.File("Quenbrook.ini");
    WriteFile(path, "[General]\nCompany Name=Stored Co\nAddress=Stored Addr\nData File=/stored.fdb\n");
    Configuration config;
    config.Load(path);
    config.SetCompanyName("");
    config.SetAddress("");
    config.SetDataFile("");
    ASSERT_TRUE(config.Save());
    const Configuration loaded = LoadedFrom(path);
    EXPECT_EQ(loaded.GetCompanyName(), "Stored Co");
    EXPECT_EQ(loaded.GetAddress(), "Stored Addr");
    EXPECT_EQ(loaded.GetDataFile(), "/stored.fdb");
}

TEST(ConfigurationSave, windowsFileIsUpdatedAndReadBack)
{
    TempDir dir;
    const std::string path = CopyOfData(dir, "windows_crlf.ini");
    Configuration config = LoadedFrom(path);
    config.ClearTechnicians();
    config.SetTechnician(1, "Bill Reyes");
    ASSERT_TRUE(config.Save());
    const Configuration loaded = LoadedFrom(path);
    EXPECT_EQ(Technicians(loaded), (Names{"Bill Reyes"}));
    EXPECT_EQ(loaded.GetCompanyName(), "Velmora Computer Care");
    EXPECT_EQ(OperatingSystems(loaded).size(), 3u);
    EXPECT_EQ(Numbers(loaded, "Phone"), (Names{"555-0101", "555-0102"}));
}

TEST(ConfigurationSave, duplicateKeysCollapseIntoTheSavedValue)
{
    TempDir dir;
    const std::string path = CopyOfData(dir, "duplicates.ini");
    Configuration config = LoadedFrom(path);
    config.SetCompanyName("New Name");
    ASSERT_TRUE(config.Save());
    const std::string text = ReadFile(path);
    EXPECT_EQ(text.find("First Name"), std::string::npos);
    EXPECT_EQ(text.find("Second Name"), std::string::npos);
    EXPECT_EQ(LoadedFrom(path).GetCompanyName(), "New Name");
}

TEST(ConfigurationSave, unwritablePlacesAnswerFalse)
{
    TempDir dir;
    Configuration config;
    config.SetCompanyName("Nowhere");

    // The folder does not exist, and nothing creates it.
    ASSERT_TRUE(config.Load(dir.File("missing/Quenbrook.ini")));
    EXPECT_FALSE(config.Save());
    EXPECT_FALSE(FileExists(dir.File("missing")));

    // A plain file where the folder should be.
    WriteFile(dir.File("plain"), "not a folder");
    ASSERT_TRUE(config.Load(dir.File("plain/Quenbrook.ini")));
    EXPECT_FALSE(config.Save());
    EXPECT_EQ(ReadFile(dir.File("plain")), "not a folder");

    // A folder in place of the file.
    ASSERT_TRUE(mkdir(dir.File("folder.ini").c_str(), 0755) == 0);
    config.Load(dir.File("folder.ini"));
    EXPECT_FALSE(config.Save());

    // Opening works but the writes do not reach the disk.
    if (FileExists("/dev/full")) {
        Configuration full;
        full.Load("/dev/full");
        EXPECT_FALSE(full.Save());
    }
}

TEST(ConfigurationSave, readOnlyFileAnswersFalseAndKeepsItsText)
{
    TempDir dir;
    const std::string path = dir.File("Quenbrook.ini");
    WriteFile(path, "[General]\nCompany Name=Locked\n");
    Configuration config = LoadedFrom(path);
    config.SetCompanyName("Changed");

    // Marked read-only: kept so, even for the administrator.
    ASSERT_EQ(chmod(path.c_str(), 0444), 0);
    EXPECT_FALSE(config.Save());
    EXPECT_EQ(ReadFile(path), "[General]\nCompany Name=Locked\n");
    ASSERT_EQ(chmod(path.c_str(), 0644), 0);

    // Immutable, where the file system has the flag.
    if (TestSupport::RunCommand("chattr +i '" + path + "' 2>/dev/null") != 0)
        GTEST_SKIP() << "no immutable flag on this file system";
    const bool saved = config.Save();
    TestSupport::RunCommand("chattr -i '" + path + "'");
    EXPECT_FALSE(saved);
    EXPECT_EQ(ReadFile(path), "[General]\nCompany Name=Locked\n");
}

TEST(ConfigurationBackup, olderFilesGetTheDefaultsAndOddValuesAreTamed)
{
    TempDir dir;
    const std::string path = dir.File("Quenbrook.ini");
    WriteFile(path, "[General]\nCompany Name=Old\n");
    Configuration old = LoadedFrom(path);
    EXPECT_TRUE(old.GetBackupOnExit());
    EXPECT_EQ(old.GetBackupCopies(), 10);

    const std::vector<std::pair<std::string, int>> copies = {{"3", 3}, {"0", 1},    {"-5", 1},           {"many", 10},
                                                             {"", 10}, {"12x", 10}, {"99999999999", 999}};
    for (const auto& [text, expected] : copies) {
        WriteFile(path, "[General]\nBackup On Exit=0\nBackup Copies=" + text + "\n");
        const Configuration loaded = LoadedFrom(path);
        EXPECT_FALSE(loaded.GetBackupOnExit());
        EXPECT_EQ(loaded.GetBackupCopies(), expected) << text;
    }

    // Saved and read back; the keys an older program does not know stay beside its own.
    Configuration config = LoadedFrom(path);
    config.SetBackupOnExit(true);
    config.SetBackupCopies(0);
    ASSERT_TRUE(config.Save());
    const Configuration loaded = LoadedFrom(path);
    EXPECT_TRUE(loaded.GetBackupOnExit());
    EXPECT_EQ(loaded.GetBackupCopies(), 1);
}

TEST(ConfigurationCounter, sectionsOfTheirOwnRoundTripAndAFileWithoutThemIsAsBefore)
{
    TempDir dir;
    const std::string path = dir.File("counter.ini");
    const std::string older = "[General]\r\nCompany Name=Shop\r\n[Technicians]\r\n1=Ann\r\n";
    WriteFile(path, older);
    Configuration config;
    ASSERT_TRUE(config.Load(path));
    EXPECT_EQ(config.GetCounter().JobStates, Quenbrook::DefaultJobStates());
    EXPECT_EQ(config.GetCounter().LabelWidthMm, 62.0);
    // Saving the defaults adds no section the older program would have to skip.
    ASSERT_TRUE(config.Save());
    const std::string saved = ReadFile(path);
    for (const char* section : {"[Job States]", "[Counter]", "[Mail Server]", "[Notices]"})
        EXPECT_EQ(saved.find(section), std::string::npos) << section << " in " << saved;

    Quenbrook::CounterSettings counter = config.GetCounter();
    counter.JobStates = {"In", "Out = done"};
    counter.IntakeTerms = "Line one\r\nC:\\shop\\terms\nlast";
    counter.LabelWidthMm = 50.5;
    counter.Mail.Host = "mail.example.com";
    counter.Mail.Port = 465;
    counter.Mail.ImplicitTls = true;
    counter.Mail.User = "desk";
    counter.Mail.From = "shop@example.com";
    counter.NoticeSubject = "Ticket {ticket}";
    counter.NoticeBodies["In"] = "Hello {customer},\nwe have it.";
    config.SetCounter(counter);
    ASSERT_TRUE(config.Save());

    Configuration again;
    ASSERT_TRUE(again.Load(path));
    const Quenbrook::CounterSettings& read = again.GetCounter();
    EXPECT_EQ(read.JobStates, counter.JobStates);
    EXPECT_EQ(read.IntakeTerms, "Line one\nC:\\shop\\terms\nlast");
    EXPECT_EQ(read.LabelWidthMm, 50.5);
    EXPECT_EQ(read.LabelHeightMm, 29.0);
    EXPECT_EQ(read.Mail.Host, "mail.example.com");
    EXPECT_EQ(read.Mail.Port, 465);
    EXPECT_TRUE(read.Mail.ImplicitTls);
    EXPECT_EQ(read.Mail.From, "shop@example.com");
    EXPECT_EQ(read.NoticeSubject, "Ticket {ticket}");
    EXPECT_EQ(read.NoticeBodies.at("In"), "Hello {customer},\nwe have it.");
    EXPECT_EQ(ReadFile(path).find("Password"), std::string::npos) << "the mail password is the keyring's";
    EXPECT_EQ(Technicians(again), std::vector<std::string>{"Ann"});

    // An emptied list falls back to the shop's defaults rather than to no states at all.
    counter.JobStates.clear();
    again.SetCounter(counter);
    EXPECT_EQ(again.GetCounter().JobStates, Quenbrook::DefaultJobStates());
}
