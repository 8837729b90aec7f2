// The service manager against the real engine: backup while the file is
// attached, restore, validation of a sound and of a damaged file.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <vector>

#include "tests/ibpp/IbppFixture.h"

namespace {

class ServiceTest : public IbppFixture {
protected:
    void SetUp() override
    {
        IbppFixture::SetUp();
        Run("CREATE TABLE T (A INTEGER, B VARCHAR(200))");
        Run("EXECUTE BLOCK AS DECLARE I INTEGER = 0; BEGIN WHILE (I < 3000) DO BEGIN "
            "INSERT INTO T VALUES (:I, LPAD('', 200, 'x')); I = I + 1; END END");
        service = IBPP::ServiceFactory("", TestSupport::LocalUser(), TestSupport::LocalPassword());
        service->Connect();
    }

    std::vector<std::string> Lines()
    {
        std::vector<std::string> lines;
        std::string line;
        while (service->WaitMsg(line))
            lines.push_back(line);
        return lines;
    }

    int Rows(const std::string& file)
    {
        auto restored = IBPP::DatabaseFactory("", file, TestSupport::LocalUser(), TestSupport::LocalPassword());
        restored->Connect();
        auto transaction = IBPP::TransactionFactory(restored, IBPP::amRead);
        transaction->Start();
        auto count = IBPP::StatementFactory(restored, transaction, "SELECT COUNT(*) FROM T");
        count->Execute();
        count->Fetch();
        int32_t rows = -1;
        count->Get(1, rows);
        transaction->Commit();
        restored->Disconnect();
        return rows;
    }

    std::string FailureOf(const std::function<void()>& action)
    {
        try {
            action();
        } catch (const IBPP::Exception& error) {
            return error.ErrorMessage();
        }
        return "";
    }

    IBPP::Service service;
};

bool AnyContains(const std::vector<std::string>& lines, const std::string& part)
{
    for (const auto& line : lines)
        if (line.find(part) != std::string::npos)
            return true;
    return false;
}

TEST_F(ServiceTest, BackupOfAnAttachedFileRestoresToTheSameRowsAndValidates)
{
    const std::string backup = dir.File("test.fbk");
    const std::string restored = dir.File("restored.fdb");
    service->StartBackup(path, backup, true);
    const auto backupLines = Lines();
    EXPECT_TRUE(AnyContains(backupLines, "writing data for table T")) << backupLines.size() << " lines";
    EXPECT_TRUE(AnyContains(backupLines, "closing file, committing, and finishing"));
    ASSERT_TRUE(TestSupport::FileExists(backup));

    // The same attachment runs one action after another.
    service->StartRestore(backup, restored, false, true);
    EXPECT_TRUE(AnyContains(Lines(), "restoring data for table T"));
    service->StartValidation(restored);
    EXPECT_TRUE(Lines().empty());
    EXPECT_EQ(Rows(restored), 3000);

    // The file is still attached by the fixture and still works.
    Run("INSERT INTO T VALUES (-1, 'after')");
}

TEST_F(ServiceTest, RestoreRefusesAnExistingFileUnlessReplacing)
{
    const std::string backup = dir.File("test.fbk");
    const std::string target = dir.File("target.fdb");
    service->StartBackup(path, backup, false);
    service->Wait();
    service->StartRestore(backup, target, false, false);
    service->Wait();
    const std::string failure = FailureOf([&] {
        service->StartRestore(backup, target, false, false);
        service->Wait();
    });
    EXPECT_NE(failure.find("already exists"), std::string::npos) << failure;
    service->StartRestore(backup, target, true, false);
    service->Wait();
    EXPECT_EQ(Rows(target), 3000);
}

TEST_F(ServiceTest, EngineFailuresBecomeExceptionsWithTheEngineMessage)
{
    // The attachment takes the next action at once after a failed one: the
    // failure is reported a moment before the engine's action thread ends.
    for (int round = 0; round < 20; ++round) {
        const std::string failure = FailureOf([&] {
            service->StartBackup(dir.File("missing.fdb"), dir.File("x.fbk"), true);
            service->Wait();
        });
        ASSERT_NE(failure.find("missing.fdb"), std::string::npos) << failure;
        service->StartBackup(path, dir.File("ok.fbk"), false);
        service->Wait();
        ASSERT_TRUE(TestSupport::FileExists(dir.File("ok.fbk")));
        std::remove(dir.File("ok.fbk").c_str());
    }
    EXPECT_EQ(FailureOf([&] { IBPP::ServiceFactory("", "", "")->Disconnect(); }),
              "Cannot disconnect the service manager: it is not connected");
}

TEST_F(ServiceTest, ValidationReportsWhatItFoundInADamagedFile)
{
    const std::string backup = dir.File("test.fbk");
    const std::string damaged = dir.File("damaged.fdb");
    service->StartBackup(path, backup, false);
    service->Wait();
    service->StartRestore(backup, damaged, false, false);
    service->Wait();

    // Overwrite the record area of a data page of table T (page type 5).
    {
        std::fstream file(damaged, std::ios::in | std::ios::out | std::ios::binary);
        file.seekg(0, std::ios::end);
        const long size = static_cast<long>(file.tellg());
        constexpr long PageSize = 8192;
        int dataPages = 0;
        for (long page = 0; page * PageSize < size; ++page) {
            file.seekg(page * PageSize);
            const int type = file.get();
            if (type == 5 && ++dataPages == 10) {
                file.seekp(page * PageSize + 200);
                const std::string junk(300, '\xff');
                file.write(junk.data(), static_cast<std::streamsize>(junk.size()));
                break;
            }
        }
        ASSERT_EQ(dataPages, 10);
    }
    const std::string failure = FailureOf([&] {
        service->StartValidation(damaged);
        service->Wait();
    });
    EXPECT_NE(failure.find("validation errors"), std::string::npos) << failure;
}

}  // namespace
