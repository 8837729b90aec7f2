// The engine's information buffers come from a server: lengths are checked
// against the buffer, never trusted.
#include <gtest/gtest.h>
#include <ibase.h>
#include <string>

#include "ibpp/InfoBuffer.h"
#include "ibpp/ibpp.h"

namespace {

std::string Bytes(std::initializer_list<int> bytes)
{
    std::string text;
    for (int byte : bytes)
        text += static_cast<char>(byte);
    return text;
}

}  // namespace

TEST(InfoBuffer, ClustersAreReadToTheEndMarkAndNumbersUpToFourBytes)
{
    // A blob's total length of 4 GiB - 1 and its segment count, then the end mark.
    const std::string buffer = Bytes({isc_info_blob_total_length, 4, 0, 0xff, 0xff, 0xff, 0xff,
                                      isc_info_blob_num_segments, 1, 0, 7, isc_info_end, 0x55});
    IBPP::Info::Reader reader(buffer.data(), buffer.size());
    IBPP::Info::Item item;
    ASSERT_TRUE(reader.Next(item));
    EXPECT_EQ(item.code, isc_info_blob_total_length);
    EXPECT_EQ(IBPP::Info::Number(item.value, item.length), 0xffffffffu);
    ASSERT_TRUE(reader.Next(item));
    EXPECT_EQ(IBPP::Info::Number(item.value, item.length), 7u);
    EXPECT_FALSE(reader.Next(item));
    EXPECT_THROW(IBPP::Info::Number(buffer.data(), 5), IBPP::Exception);
}

TEST(InfoBuffer, ALengthPastTheBufferIsAnErrorNotARead)
{
    for (const std::string& buffer :
         {Bytes({isc_info_blob_total_length, 0xff, 0xff, 1, 2}), Bytes({isc_info_sql_records, 4, 0, 1, 2, 3}),
          Bytes({isc_info_sql_stmt_type, 4})}) {
        IBPP::Info::Reader reader(buffer.data(), buffer.size());
        IBPP::Info::Item item;
        EXPECT_THROW(reader.Next(item), IBPP::Exception) << buffer.size();
    }
}
