#include <gtest/gtest.h>

#include <random>

#include "tests/ibpp/IbppFixture.h"

namespace {

class BlobTest : public IbppFixture {
protected:
    void SetUp() override
    {
        IbppFixture::SetUp();
        Run("CREATE TABLE B (ID INTEGER NOT NULL PRIMARY KEY, DATA BLOB SUB_TYPE TEXT)");
    }

    // Writes bytes in segments of at most 65535 bytes and stores the blob as row id.
    void Store(int id, const std::string& bytes)
    {
        auto transaction = StartWrite();
        auto blob = IBPP::BlobFactory(database, transaction);
        blob->Create();
        for (size_t at = 0; at < bytes.size(); at += 65535)
            blob->Write(bytes.data() + at, static_cast<int>(std::min<size_t>(65535, bytes.size() - at)));
        blob->Close();
        auto insert = IBPP::StatementFactory(database, transaction, "INSERT INTO B VALUES (?, ?)");
        insert->Set(1, id);
        insert->Set(2, blob);
        insert->Execute();
        transaction->Commit();
    }

    struct Figures {
        int size = -1, largest = -1, segments = -1;
    };

    std::string Load(int id, Figures& figures, int readSize = 65535)
    {
        auto transaction = StartWrite();
        auto select = IBPP::StatementFactory(database, transaction, "SELECT DATA FROM B WHERE ID = ?");
        select->Set(1, id);
        select->Execute();
        EXPECT_TRUE(select->Fetch());
        IBPP::Blob blob = IBPP::BlobFactory(database, transaction);
        EXPECT_FALSE(select->Get(1, blob));
        blob->Open();
        blob->Info(&figures.size, &figures.largest, &figures.segments);
        std::string bytes;
        std::vector<char> buffer(readSize);
        int count;
        while ((count = blob->Read(buffer.data(), readSize)) > 0)
            bytes.append(buffer.data(), count);
        blob->Close();
        transaction->Commit();
        return bytes;
    }
};

std::string RandomBytes(size_t size)
{
    std::mt19937 generator(static_cast<unsigned>(size));
    std::string bytes(size, '\0');
    for (char& byte : bytes)
        byte = static_cast<char>(generator() & 0xFF);
    return bytes;
}

TEST_F(BlobTest, BlobsReadBackByteForByteWithTheirFigures)
{
    struct Case {
        size_t size;
        int segments;
        int largest;
    };
    const Case cases[] = {{0, 0, 0}, {65535, 1, 65535}, {65536, 2, 65535}, {200000, 4, 65535}};
    int id = 0;
    for (const Case& expected : cases) {
        SCOPED_TRACE(expected.size);
        const std::string bytes = RandomBytes(expected.size);
        Store(++id, bytes);
        Figures figures;
        const std::string read = Load(id, figures);
        EXPECT_EQ(bytes.size(), read.size());
        EXPECT_TRUE(bytes == read);
        EXPECT_EQ(static_cast<int>(expected.size), figures.size);
        EXPECT_EQ(expected.segments, figures.segments);
        EXPECT_EQ(expected.largest, figures.largest);
    }
}

TEST_F(BlobTest, ReadsSmallerThanASegmentReturnItPieceByPiece)
{
    const std::string bytes = RandomBytes(70000);
    Store(1, bytes);
    Figures figures;
    EXPECT_TRUE(bytes == Load(1, figures, 1000));
    EXPECT_EQ(2, figures.segments);
}

TEST_F(BlobTest, SegmentsOverTheLimitAndWrongStatesAreRefused)
{
    auto transaction = StartWrite();
    auto blob = IBPP::BlobFactory(database, transaction);
    std::string big(65536, 'x');
    char buffer[16];
    EXPECT_THROW(blob->Write(big.data(), 10), IBPP::Exception);  // not created
    EXPECT_THROW(blob->Open(), IBPP::Exception);  // no id yet
    blob->Create();
    EXPECT_THROW(blob->Write(big.data(), 65536), IBPP::Exception);
    EXPECT_THROW(blob->Read(buffer, sizeof buffer), IBPP::Exception);
    auto insert = IBPP::StatementFactory(database, transaction, "INSERT INTO B VALUES (1, ?)");
    EXPECT_THROW(insert->Set(1, blob), IBPP::Exception);  // still open for writing
    blob->Write(big.data(), 65535);
    blob->Close();
    EXPECT_THROW(blob->Close(), IBPP::Exception);
    insert->Set(1, blob);
    insert->Execute();
    transaction->Commit();

    auto reader = StartWrite();
    auto select = IBPP::StatementFactory(database, reader, "SELECT ID, DATA FROM B");
    select->Execute();
    ASSERT_TRUE(select->Fetch());
    IBPP::Blob empty;
    EXPECT_FALSE(select->Get(2, empty));  // an empty handle gets a blob of its own
    ASSERT_TRUE(empty);
    empty->Open();
    int size = 0;
    empty->Info(&size, nullptr, nullptr);
    EXPECT_EQ(65535, size);
    reader->Commit();
}

TEST_F(BlobTest, NullBlobColumnLeavesTheHandleAlone)
{
    Run("INSERT INTO B VALUES (1, NULL)");
    auto transaction = StartWrite();
    auto select = IBPP::StatementFactory(database, transaction, "SELECT DATA FROM B");
    select->Execute();
    ASSERT_TRUE(select->Fetch());
    IBPP::Blob blob = IBPP::BlobFactory(database, transaction);
    EXPECT_TRUE(select->Get(1, blob));
    EXPECT_THROW(blob->Open(), IBPP::Exception);
    transaction->Commit();
}

TEST_F(BlobTest, StoredBlobIsWhatIsqlReads)
{
    Store(1, "first line of the report");
    database->Disconnect();
    const std::string stored = TestSupport::Isql(path, "SET BLOB ALL; SELECT DATA FROM B;");
    EXPECT_NE(std::string::npos, stored.find("first line of the report")) << stored;
}

}  // namespace
