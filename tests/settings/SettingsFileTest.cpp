// The settings file on disk: the encoding it was written in survives a save,
// and a save replaces the file whole or not at all.
#include <gtest/gtest.h>

#include <csignal>
#include <dirent.h>
#include <random>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "settings/Quenbrook_Configuration.h"
#include "tests/support/datafiles/TestSupport.h"

using Quenbrook::Configuration;
using TestSupport::ReadFile;
using TestSupport::TempDir;
using TestSupport::WriteFile;

namespace {

// "Café Renée Réparations" as the older Windows program writes it.
const std::string Windows1252Name = "Caf\xE9 Ren\xE9"
                                    "e R\xE9parations";
const std::string Utf8Name = "Caf\xC3\xA9 Ren\xC3\xA9"
                             "e R\xC3\xA9parations";

std::vector<std::string> FilesIn(const std::string& folder)
{
    std::vector<std::string> names;
    if (DIR* dir = opendir(folder.c_str())) {
        while (const dirent* entry = readdir(dir))
            if (entry->d_name[0] != '.')
                names.emplace_back(entry->d_name);
        closedir(dir);
    }
    return names;
}

bool Contains(const std::string& text, const std::string& part)
{
    return text.find(part) != std::string::npos;
}

}  // namespace

TEST(SettingsEncoding, windowsCodePageFileIsReadAndWrittenBackInItsCodePage)
{
    TempDir dir;
    const std::string path = dir.File("Quenbrook.ini");
    WriteFile(path,
              "[General]\r\nCompany Name=" + Windows1252Name +
                  "\r\nOther=\x80 kept\r\n[Technicians]\r\n1=J\xFCrgen\r\n");
    Configuration config;
    ASSERT_TRUE(config.Load(path));
    EXPECT_EQ(config.GetCompanyName(), Utf8Name);
    EXPECT_EQ(config.GetTechnician(1), "J\xC3\xBCrgen");

    config.SetTechnician(2, "Ren\xC3\xA9");
    ASSERT_TRUE(config.Save());
    const std::string written = ReadFile(path);
    EXPECT_TRUE(Contains(written, "Company Name=" + Windows1252Name)) << written;
    EXPECT_TRUE(Contains(written, "Other=\x80 kept")) << "a key this program does not know changed";
    EXPECT_TRUE(Contains(written, "2=Ren\xE9"));
    EXPECT_FALSE(Contains(written, "\xC3"));

    // A character the code page lacks is kept: the file becomes UTF-8 rather than lose it.
    config.SetTechnician(3, "\xC5\x81ukasz");
    ASSERT_TRUE(config.Save());
    Configuration again;
    ASSERT_TRUE(again.Load(path));
    EXPECT_EQ(again.GetCompanyName(), Utf8Name);
    EXPECT_EQ(again.GetTechnician(3), "\xC5\x81ukasz");
}

TEST(SettingsEncoding, utf8FilesStayUtf8WithOrWithoutByteOrderMark)
{
    TempDir dir;
    for (const std::string mark : {"", "\xEF\xBB\xBF"}) {
        const std::string path = dir.File("Quenbrook.ini");
        WriteFile(path, mark + "[General]\nCompany Name=" + Utf8Name + "\n");
        Configuration config;
        ASSERT_TRUE(config.Load(path));
        EXPECT_EQ(config.GetCompanyName(), Utf8Name);
        config.SetWebSite("www.r\xC3\xA9paration.example");
        ASSERT_TRUE(config.Save());
        const std::string written = ReadFile(path);
        EXPECT_EQ(written.compare(0, mark.size(), mark), 0) << "byte order mark " << mark.size();
        EXPECT_TRUE(Contains(written, "Company Name=" + Utf8Name));
        EXPECT_TRUE(Contains(written, "WebSite=www.r\xC3\xA9paration.example"));
    }
}

TEST(SettingsReplace, keepsLinkModeAndLeavesNoTemporaryFile)
{
    TempDir dir;
    const std::string real = dir.File("real.ini");
    const std::string link = dir.File("Quenbrook.ini");
    WriteFile(real, "[General]\nCompany Name=Old\n");
    ASSERT_EQ(chmod(real.c_str(), 0640), 0);
    ASSERT_EQ(symlink(real.c_str(), link.c_str()), 0);
    Configuration config;
    ASSERT_TRUE(config.Load(link));
    config.SetCompanyName("New");
    ASSERT_TRUE(config.Save());

    struct stat linkStat = {}, realStat = {};
    ASSERT_EQ(lstat(link.c_str(), &linkStat), 0);
    EXPECT_TRUE(S_ISLNK(linkStat.st_mode));
    ASSERT_EQ(stat(real.c_str(), &realStat), 0);
    EXPECT_EQ(realStat.st_mode & 07777, 0640u);
    EXPECT_TRUE(Contains(ReadFile(real), "Company Name=New"));
    EXPECT_EQ(FilesIn(dir.Path()).size(), 2u);
}

// A link that another user owns, or that leads to another user's file, is
// replaced by the settings; the file it led to is never written.
TEST(SettingsReplace, aLinkSomeoneElseCouldHavePlantedIsReplacedNotFollowed)
{
    if (geteuid() != 0)
        GTEST_SKIP() << "needs root to give a link to another user";
    constexpr uid_t Nobody = 65534;
    for (const bool otherOwnsTheLink : {true, false}) {
        TempDir dir;
        const std::string victim = dir.File("victim");
        const std::string link = dir.File("Quenbrook.ini");
        WriteFile(victim, "[General]\nCompany Name=Victim\n");
        ASSERT_EQ(chmod(victim.c_str(), 0666), 0);
        ASSERT_EQ(symlink(victim.c_str(), link.c_str()), 0);
        if (otherOwnsTheLink)
            ASSERT_EQ(lchown(link.c_str(), Nobody, Nobody), 0);
        else
            ASSERT_EQ(chown(victim.c_str(), Nobody, Nobody), 0);
        Configuration config;
        ASSERT_TRUE(config.Load(link));
        config.SetCompanyName("Shop");
        ASSERT_TRUE(config.Save());

        EXPECT_EQ(ReadFile(victim), "[General]\nCompany Name=Victim\n");
        struct stat entry = {};
        ASSERT_EQ(lstat(link.c_str(), &entry), 0);
        EXPECT_TRUE(S_ISREG(entry.st_mode));
        EXPECT_EQ(entry.st_mode & 07777, 0600u);
        EXPECT_TRUE(Contains(ReadFile(link), "Company Name=Shop"));
    }
}

TEST(SettingsReplace, aNewFileIsTheUsersAloneWhateverTheUmask)
{
    TempDir dir;
    const mode_t previous = umask(022);
    Configuration config;
    config.Load(dir.File("Quenbrook.ini"));
    config.SetCompanyName("Shop");
    const bool saved = config.Save();
    umask(previous);
    ASSERT_TRUE(saved);
    struct stat info = {};
    ASSERT_EQ(stat(dir.File("Quenbrook.ini").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0600u);
}

TEST(SettingsReplace, folderThatTakesNoNewFileLeavesTheOldFileAsItWas)
{
    TempDir dir;
    const std::string folder = dir.File("locked");
    ASSERT_EQ(mkdir(folder.c_str(), 0755), 0);
    const std::string path = folder + "/Quenbrook.ini";
    const std::string old = "[General]\nCompany Name=Old\n";
    WriteFile(path, old);
    Configuration config;
    ASSERT_TRUE(config.Load(path));
    config.SetCompanyName("New");

    // The administrator writes into any folder that is not immutable.
    const bool locked = geteuid() == 0 ? TestSupport::RunCommand("chattr +i '" + folder + "' 2>/dev/null") == 0
                                       : chmod(folder.c_str(), 0555) == 0;
    if (!locked)
        GTEST_SKIP() << "no way to lock a folder on this file system";
    const bool saved = config.Save();
    if (geteuid() == 0)
        TestSupport::RunCommand("chattr -i '" + folder + "'");
    chmod(folder.c_str(), 0755);
    EXPECT_FALSE(saved);
    EXPECT_EQ(ReadFile(path), old);
    EXPECT_EQ(FilesIn(folder).size(), 1u);
}

// A process saving a large settings file over and over is killed at random
// moments; every time, the file loads to one whole generation of values.
TEST(SettingsReplace, killedDuringSavesLeavesOldOrNewNeverAMix)
{
    constexpr int Entries = 3000;
    TempDir dir;
    const std::string path = dir.File("Quenbrook.ini");
    auto generation = [](Configuration& config, int number) {
        config.ClearTechnicians();
        for (int n = 1; n <= Entries; ++n)
            config.SetTechnician(n, "generation " + std::to_string(number) + " technician " + std::to_string(n));
    };
    {
        Configuration first;
        first.Load(path);
        generation(first, 0);
        ASSERT_TRUE(first.Save());
    }
    std::mt19937 random(20261209);
    for (int attempt = 0; attempt < 25; ++attempt) {
        const pid_t child = fork();
        if (child == 0) {
            Configuration config;
            config.Load(path);
            for (int number = 1;; ++number) {
                generation(config, number);
                config.Save();
            }
        }
        usleep(5000 + random() % 60000);
        kill(child, SIGKILL);
        waitpid(child, nullptr, 0);

        Configuration loaded;
        ASSERT_TRUE(loaded.Load(path));
        const std::string first = loaded.GetTechnician(1);
        const std::string tag = first.substr(0, first.find(" technician"));
        int count = 0;
        for (int n = 1; !loaded.GetTechnician(n).empty(); ++n, ++count)
            ASSERT_EQ(loaded.GetTechnician(n), tag + " technician " + std::to_string(n)) << "attempt " << attempt;
        ASSERT_EQ(count, Entries) << "attempt " << attempt;
    }
}

TEST(SettingsServerLogin, savedWhenGivenAndLeavesNoKeyWhenCleared)
{
    TempDir dir;
    const std::string path = dir.File("Quenbrook.ini");
    WriteFile(path, "[General]\nData File=server/3050:/srv/Solutions.fdb\n");
    Configuration config;
    ASSERT_TRUE(config.Load(path));
    EXPECT_EQ(config.GetDataFileUser(), "");
    config.SetDataFileUser("clerk");
    config.SetDataFilePassword("s3cret");
    ASSERT_TRUE(config.Save());
    Configuration again;
    ASSERT_TRUE(again.Load(path));
    EXPECT_EQ(again.GetDataFileUser(), "clerk");
    EXPECT_EQ(again.GetDataFilePassword(), "s3cret");

    again.SetDataFileUser("");
    again.SetDataFilePassword("");
    ASSERT_TRUE(again.Save());
    EXPECT_FALSE(Contains(ReadFile(path), "Data File User"));
    EXPECT_FALSE(Contains(ReadFile(path), "Data File Password"));
}
