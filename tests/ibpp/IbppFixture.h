// A fresh dialect 3 data file in a temporary folder, attached, for each test.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "ibpp/ibpp.h"
#include "tests/support/datafiles/LocalLogin.h"
#include "tests/support/datafiles/TestSupport.h"

class IbppFixture : public testing::Test {
protected:
    void SetUp() override
    {
        path = dir.File("test.fdb");
        database = IBPP::DatabaseFactory("", path, TestSupport::LocalUser(), TestSupport::LocalPassword());
        database->Create(3);
        database->Connect();
    }

    void TearDown() override
    {
        if (database && database->Connected())
            database->Disconnect();
    }

    IBPP::Transaction StartWrite()
    {
        auto transaction = IBPP::TransactionFactory(database, IBPP::amWrite, IBPP::ilReadCommitted, IBPP::lrNoWait);
        transaction->Start();
        return transaction;
    }

    // Runs one statement in a transaction of its own and commits it.
    void Run(const std::string& sql)
    {
        auto transaction = StartWrite();
        IBPP::StatementFactory(database, transaction)->ExecuteImmediate(sql);
        transaction->Commit();
    }

    TestSupport::TempDir dir;
    std::string path;
    IBPP::Database database;
};
