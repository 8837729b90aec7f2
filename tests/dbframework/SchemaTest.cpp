#include <gtest/gtest.h>

#include "dbframework/DBFrameWork_DBConnection.h"
#include "dbframework/DBFrameWork_Schema.h"

TEST(DataFilePath, ServerFormsAreToldFromLocalPaths)
{
    for (const char* path :
         {"host:/srv/Solutions.fdb", "192.168.1.5:/srv/Solutions.fdb", "host/3051:/srv/x.fdb",
          "desk-2/gds_db:C:\\Data\\x.fdb", "localhost:x.fdb", "[::1]:/srv/x.fdb", "[fe80::1]/3051:/srv/x.fdb"})
        EXPECT_TRUE(DBFrameWork::IsServerPath(path)) << path;
    for (const char* path : {"./Data/Solutions.fdb", "/var/data/Solutions.fdb", "Solutions.fdb", "C:\\Data\\x.fdb",
                             "C:/Data/x.fdb", "./a/b:c.fdb", "/srv/odd:name.fdb", "a\\b:c.fdb", "/3050:/x.fdb",
                             "host/:/x.fdb", "[::1", "[::1]/:/x.fdb", ""})
        EXPECT_FALSE(DBFrameWork::IsServerPath(path)) << path;
}

TEST(DataFilePath, AnExplicitPathWinsOverTheSettings)
{
    DBFrameWork::DBConnection connection(std::string("/tmp/x/Solutions.fdb.new"));
    EXPECT_EQ(connection.GetPath(), "/tmp/x/Solutions.fdb.new");
    EXPECT_FALSE(connection.Connected);
}
