#include <gtest/gtest.h>

#include "dbframework/DBFrameWork_VCardSource.h"
#include "tests/import/ImportFiles.h"
#include "tests/support/datafiles/TestSupport.h"

using namespace DBFrameWork;

namespace {

std::vector<VCardCustomer> ReadText(const std::string& text)
{
    std::vector<VCardCustomer> cards;
    std::string error;
    EXPECT_TRUE(ReadVCardText(text, cards, error)) << error;
    return cards;
}

}  // namespace

TEST(VCardSource, Version3CardWithFoldedLinesAndSeveralPhones)
{
    const std::vector<VCardCustomer> cards = ReadText("\xEF\xBB\xBF"
                                                      "BEGIN:VCARD\r\n"
                                                      "VERSION:3.0\r\n"
                                                      "N:M\xC3\xBCller;Hans;;;\r\n"
                                                      "FN:Hans M\xC3\xBC\r\n"
                                                      " ller\r\n"
                                                      "ORG:Workshop\r\n"
                                                      "ADR;TYPE=WORK:;;9 Side St;Elsewhere;;;\r\n"
                                                      "ADR;TYPE=HOME,PREF:;Apt 2;1 Main St\\, Rear;Spring\r\n"
                                                      " field;IL;62701;USA\r\n"
                                                      "TEL;TYPE=CELL:555-1234\r\n"
                                                      "TEL;TYPE=HOME,VOICE:555 9999\r\n"
                                                      "item1.TEL;type=WORK;type=pref:+1 555 0000\r\n"
                                                      "EMAIL;TYPE=INTERNET:hans@example.com\r\n"
                                                      "NOTE:semi\\; colon\r\n"
                                                      "END:VCARD\r\n"
                                                      "BEGIN:VCARD\r\n"
                                                      "VERSION:3.0\r\n"
                                                      "N:Lee;Ann;Marie;Dr.;\r\n"
                                                      "TEL:555\r\n"
                                                      "END:VCARD\r\n");
    ASSERT_EQ(2u, cards.size());
    const VCardCustomer& hans = cards[0];
    EXPECT_EQ(1u, hans.Number);
    EXPECT_EQ("Hans M\xC3\xBCller", hans.Customer.Name);
    // The preferred address, its extended part as a second line.
    EXPECT_EQ("1 Main St, Rear\r\nApt 2", hans.Customer.Address);
    EXPECT_EQ("Springfield", hans.Customer.City);
    EXPECT_EQ("IL", hans.Customer.State);
    EXPECT_EQ("62701", hans.Customer.Zip);
    const std::vector<PhoneRecord> phones = {{"mobile", "555-1234"}, {"home", "555 9999"}, {"work", "+1 555 0000"}};
    EXPECT_EQ(phones, hans.Contacts.Phones);
    EXPECT_EQ("hans@example.com", hans.Contacts.Email);
    // No FN: N's parts in reading order; a phone of no kind.
    EXPECT_EQ("Dr. Ann Marie Lee", cards[1].Customer.Name);
    EXPECT_EQ((std::vector<PhoneRecord>{{"mobile", "555"}}), cards[1].Contacts.Phones);
}

TEST(VCardSource, Version4CardWithUriPhonesAndQuotedParameters)
{
    const std::vector<VCardCustomer> cards = ReadText(
        "BEGIN:VCARD\n"
        "VERSION:4.0\n"
        "FN:Ann Lee\n"
        "ADR;LABEL=\"1 Main St; Springfield: IL\";TYPE=home:;;1 Main St,Unit 5;Springfield;IL;62701;\n"
        "TEL;VALUE=uri;TYPE=\"cell,voice\":tel:+1-555-555-5555\n"
        "TEL;TYPE=work;VALUE=uri:tel:+1-555-1111;ext=22\n"
        "TEL;TYPE=home:tel:+1-555-2222\n"
        "EMAIL;TYPE=work:ann@work.example\n"
        "EMAIL;PREF=1:ann@example.com\n"
        "END:VCARD\n");
    ASSERT_EQ(1u, cards.size());
    const VCardCustomer& ann = cards[0];
    EXPECT_EQ("Ann Lee", ann.Customer.Name);
    // A list in the street component is its lines.
    EXPECT_EQ("1 Main St\r\nUnit 5", ann.Customer.Address);
    EXPECT_EQ("Springfield", ann.Customer.City);
    EXPECT_EQ("62701", ann.Customer.Zip);
    const std::vector<PhoneRecord> phones = {
        {"mobile", "+1-555-555-5555"}, {"work", "+1-555-1111 ext. 22"}, {"home", "+1-555-2222"}};
    EXPECT_EQ(phones, ann.Contacts.Phones);
    EXPECT_EQ("ann@example.com", ann.Contacts.Email);
}

TEST(VCardSource, Version21QuotedPrintableAndLatin1)
{
    const std::vector<VCardCustomer> cards = ReadText(
        "BEGIN:VCARD\r\n"
        "VERSION:2.1\r\n"
        "N;CHARSET=ISO-8859-1:M\xFCller;J\xF6rg\r\n"
        "ADR;HOME;ENCODING=QUOTED-PRINTABLE;CHARSET=UTF-8:;;Stra=C3=9Fe 1=0D=0AHof;K=C3=B6ln;;50667\r\n"
        "TEL;CELL;VOICE:0170 123\r\n"
        "END:VCARD\r\n");
    ASSERT_EQ(1u, cards.size());
    EXPECT_EQ("J\xC3\xB6rg M\xC3\xBCller", cards[0].Customer.Name);
    EXPECT_EQ("Stra\xC3\x9F"
              "e 1\r\nHof",
              cards[0].Customer.Address);
    EXPECT_EQ("K\xC3\xB6ln", cards[0].Customer.City);
    EXPECT_EQ((std::vector<PhoneRecord>{{"mobile", "0170 123"}}), cards[0].Contacts.Phones);
}

TEST(VCardSource, WrittenCardReadsBackTheSame)
{
    CustomerRecord customer;
    customer.Name = "M\xC3\xBCller, Hans; \"Jr.\" \xE2\x82\xAC\\ backslash";
    customer.Address = "1 Main St, Rear; Door 2\r\nBuilding \xE6\x9D\xB1\xE4\xBA\xAC " + std::string(80, 'x');
    customer.City = "Springfield";
    customer.State = "IL";
    customer.Zip = "62701";
    ContactsRecord contacts;
    contacts.Phones = {{"mobile", "555-1234"}, {"home", "555,9999"}, {"work", "+1 (555) 000;1"}};
    contacts.Email = "hans@example.com";
    const std::string card = WriteVCard(customer, contacts);

    // RFC 6350: CR LF after every line, none longer than 75 octets, folds between characters.
    EXPECT_EQ(0u, card.rfind("BEGIN:VCARD\r\nVERSION:4.0\r\n", 0));
    size_t start = 0;
    while (start < card.size()) {
        const size_t end = card.find("\r\n", start);
        ASSERT_NE(std::string::npos, end);
        EXPECT_LE(end - start, 75u) << card.substr(start, end - start);
        EXPECT_EQ(std::string::npos, card.substr(start, end - start).find('\n'));
        if (end + 2 < card.size() && card[end + 2] == ' ') {
            EXPECT_NE(0x80, static_cast<unsigned char>(card[end + 3]) & 0xC0);
        }
        start = end + 2;
    }
    EXPECT_NE(std::string::npos, card.find("FN:M\xC3\xBCller\\, Hans\\; \"Jr.\" \xE2\x82\xAC\\\\ backslash\r\n"));

    TestSupport::TempDir dir;
    WriteBytes(dir.File("card.vcf"), card + card);
    std::vector<VCardCustomer> cards;
    std::string error;
    ASSERT_TRUE(ReadVCardFile(dir.File("card.vcf"), cards, error)) << error;
    ASSERT_EQ(2u, cards.size());
    EXPECT_EQ(customer.Name, cards[1].Customer.Name);
    EXPECT_EQ(customer.Address, cards[1].Customer.Address);
    EXPECT_EQ(customer.City, cards[1].Customer.City);
    EXPECT_EQ(customer.State, cards[1].Customer.State);
    EXPECT_EQ(customer.Zip, cards[1].Customer.Zip);
    EXPECT_EQ(contacts, cards[1].Contacts);
}

TEST(VCardSource, FilesWithoutReadableCardsAreRefused)
{
    TestSupport::DebugCapture debug;
    std::vector<VCardCustomer> cards;
    std::string error;
    EXPECT_FALSE(ReadVCardText("Name,Phone\r\nAnn,555\r\n", cards, error));
    EXPECT_EQ("The file holds no vCard.", error);
    EXPECT_TRUE(debug.Contains("no vCard"));
    // Cut short: the last card is not taken as whole.
    EXPECT_FALSE(ReadVCardText("BEGIN:VCARD\r\nVERSION:3.0\r\nFN:A\r\nEND:VCARD\r\n"
                               "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:B\r\n",
                               cards, error));
    EXPECT_NE(std::string::npos, error.find("no END:VCARD")) << error;
    EXPECT_FALSE(ReadVCardFile("/nonexistent/folder/cards.vcf", cards, error));
    EXPECT_NE(std::string::npos, error.find("cannot be opened"));
}
