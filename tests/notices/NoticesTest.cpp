#include "dialogs/MailtoLink.h"
#include "dialogs/NoticeTemplate.h"
#include "dialogs/SmtpMail.h"
#include "tests/support/datafiles/TestSupport.h"

#include <QStringList>
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <memory>
#include <sstream>
#include <thread>

namespace {

using TestSupport::FileExists;
using TestSupport::ReadFile;
using TestSupport::TempDir;
using Clock = std::chrono::steady_clock;

const std::string User = "clerk@velmora.test";
const std::string Password = "Corr3ct-horse!";

TEST(MailtoLink, EncodesAllButUnreservedWithCrlfBreaks)
{
    const QString body = QStringLiteral("Hello Anna,\nA=B & C? #1 50% + tax\r\nGrüße\rend");
    EXPECT_EQ(
        MailtoLink(QStringLiteral("anna+shop@example.org"), QStringLiteral("Your repair T-7: ready & done?"), body)
            .toStdString(),
        "mailto:anna%2Bshop@example.org?subject=Your%20repair%20T-7%3A%20ready%20%26%20done%3F"
        "&body=Hello%20Anna%2C%0D%0AA%3DB%20%26%20C%3F%20%231%2050%25%20%2B%20tax%0D%0AGr%C3%BC%C3%9Fe%0D%0Aend");
    EXPECT_EQ(MailtoLink(QString(), QStringLiteral("Hi there"), QString()).toStdString(), "mailto:?subject=Hi%20there");
    // A line break in the subject must not reach the header of the mail program's message.
    EXPECT_EQ(MailtoLink(QStringLiteral("a@b.org"), QStringLiteral("one\r\ntwo"), QString()).toStdString(),
              "mailto:a@b.org?subject=one%20two");
}

TEST(NoticeTemplate, FillsInOnePassAndLeavesUnknownPlaceholders)
{
    NoticeFields fields;
    fields.customerName = QStringLiteral("{ticket} Müller");
    fields.ticketNumber = QStringLiteral("T-1042");
    fields.businessName = QStringLiteral("Velmora");
    fields.businessPhone = QStringLiteral("555-0100");
    EXPECT_EQ(
        FillNotice(QStringLiteral("{customer}/{ticket}/{business}/{business phone}/{colour}/{{ticket}/{hours"), fields),
        QStringLiteral("{ticket} Müller/T-1042/Velmora/555-0100/{colour}/{T-1042/{hours"));
    EXPECT_EQ(FillNotice(QStringLiteral("Your repair {ticket}: {state}"), fields),
              QStringLiteral("Your repair T-1042: "));
}

TEST(NoticeTemplate, EachDefaultStateHasItsOwnSignedText)
{
    const QStringList states = {"Checked in", "Diagnosing",       "Waiting for parts", "Waiting for customer",
                                "In repair",  "Ready for pickup", "Picked up"};
    const QString general = DefaultNoticeBody(QStringLiteral("Sent abroad"));
    NoticeFields fields{"Ann", "T-1", "laptop", "X", "Friday", "2", "Velmora", "555-0100"};
    QStringList seen = {general};
    for (const QString& state : states) {
        const QString body = DefaultNoticeBody(state);
        EXPECT_FALSE(seen.contains(body)) << state.toStdString();
        seen << body;
        EXPECT_TRUE(body.contains(QStringLiteral("{business}\n{business phone}"))) << state.toStdString();
        // Every placeholder a default text uses is one FillNotice knows.
        EXPECT_FALSE(FillNotice(body, fields).contains(QLatin1Char('{'))) << state.toStdString();
    }
    EXPECT_TRUE(general.contains(QStringLiteral("{state}")));
    EXPECT_FALSE(FillNotice(DefaultNoticeSubject(), fields).contains(QLatin1Char('{')));
}

MailMessage Message(const std::string& subject, const std::string& body)
{
    return MailMessage{"shop@velmora.test", "Velmora Service", "customer@example.org", subject, body};
}

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    size_t at = 0;
    for (size_t end; (end = text.find("\r\n", at)) != std::string::npos; at = end + 2)
        lines.push_back(text.substr(at, end - at));
    EXPECT_EQ(at, text.size()) << "the message does not end with CRLF";
    return lines;
}

TEST(MailText, WritesSevenBitHeadersWithCrlfOnly)
{
    const std::string subject = "Ihre Reparatur T-1042 ist abholbereit — herzliche Grüße aus der Werkstatt in Köln";
    MailMessage message = Message(subject, "Hallo,\nGrüße\n");
    message.fromName = "Werkstatt Müller";
    const std::string text = MailText(message, 1700000000, "<id.1@velmora.test>");
    for (size_t at = 0; (at = text.find('\n', at)) != std::string::npos; ++at)
        ASSERT_EQ(text[at - 1], '\r') << "bare LF at " << at;
    const auto lines = Lines(text);
    const auto blank = std::find(lines.begin(), lines.end(), "");
    ASSERT_NE(blank, lines.end());
    std::string headers;
    for (auto line = lines.begin(); line != blank; ++line) {
        EXPECT_LE(line->size(), 78u) << *line;
        for (const unsigned char c : *line)
            ASSERT_LT(c, 0x80) << *line;
        headers += *line + "\n";
    }
    for (const char* expected :
         {"\nTo: customer@example.org\n", "\nDate: Tue, 14 Nov 2023 22:13:20 +0000\n",
          "\nMessage-ID: <id.1@velmora.test>\n", "\nMIME-Version: 1.0\n", "\nContent-Type: text/plain; charset=UTF-8\n",
          "\nContent-Transfer-Encoding: base64\n", "\n <shop@velmora.test>\n", "\nSubject: =?UTF-8?B?"})
        EXPECT_NE(("\n" + headers).find(expected), std::string::npos) << expected << " in\n" << headers;
    const std::string plain = MailText(Message("Plain words", "x"), 0, "<a@b>");
    const std::string start = "From: \"Velmora Service\" <shop@velmora.test>\r\nTo: customer@example.org\r\n"
                              "Subject: Plain words\r\nDate: Thu, 01 Jan 1970 00:00:00 +0000\r\n";
    EXPECT_EQ(plain.substr(0, start.size()), start);
}

TEST(MailText, RefusesValuesThatWouldAddHeadersOrRecipients)
{
    const auto refusal = [](const MailMessage& message) {
        try {
            MailText(message, 0, "<a@b>");
        } catch (const MailRefused& refused) {
            return std::string(refused.what());
        }
        return std::string("accepted");
    };
    MailMessage message = Message("Hi\r\nBcc: thief@example.net", "x");
    EXPECT_NE(refusal(message).find("The subject contains a line break"), std::string::npos) << refusal(message);
    message = Message("Hi", "x");
    message.subject = "Hi\nBcc: thief@example.net";
    EXPECT_NE(refusal(message).find("subject"), std::string::npos);
    message = Message("Hi", "x");
    message.fromName = "Shop\r\nBcc: thief@example.net";
    EXPECT_NE(refusal(message).find("sender name contains a line break"), std::string::npos) << refusal(message);
    for (const std::string to : {"customer@example.org\r\nBcc: thief@example.net", "customer@example.org\n",
                                 "customer@example.org, thief@example.net", "Thief <thief@example.net>",
                                 "customer@example.org>\r\nRCPT TO:<thief@example.net", "no-at-sign", ""}) {
        message = Message("Hi", "x");
        message.to = to;
        EXPECT_NE(refusal(message).find("recipient address"), std::string::npos) << to << ": " << refusal(message);
    }
    message = Message("Hi", "x");
    message.from = "shop@velmora.test\r\nBcc: thief@example.net";
    EXPECT_NE(refusal(message).find("sender address"), std::string::npos) << refusal(message);
}

// The certificate is made once; each test gets its own server and folder.
class SmtpSending : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        certificates_ = std::make_unique<TempDir>();
        std::string output;
        const int status = TestSupport::RunCommand(
            "openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj /CN=127.0.0.1 -addext subjectAltName=IP:127.0.0.1 "
            "-keyout '" +
                certificates_->File("key.pem") + "' -out '" + certificates_->File("cert.pem") + "' 2>&1",
            &output, 60);
        ASSERT_EQ(status, 0) << output;
    }
    static void TearDownTestSuite() { certificates_.reset(); }

    static std::string Certificate() { return certificates_->File("cert.pem"); }
    static std::string Key() { return certificates_->File("key.pem"); }

    MailServer Server(int port, int timeoutSeconds = 10) const
    {
        MailServer server;
        server.host = "127.0.0.1";
        server.port = port;
        server.user = User;
        server.password = Password;
        server.caFile = Certificate();
        server.timeoutSeconds = timeoutSeconds;
        return server;
    }

    bool Received(int number) const { return FileExists(dir_.File("message-" + std::to_string(number) + ".eml")); }
    std::string Stored(int number, const std::string& kind) const
    {
        return ReadFile(dir_.File("message-" + std::to_string(number) + "." + kind));
    }

    TempDir dir_;

private:
    static std::unique_ptr<TempDir> certificates_;
};

std::unique_ptr<TempDir> SmtpSending::certificates_;

// The Python server, stopped and waited for however the test ends.
class ServerProcess {
public:
    ServerProcess(const TempDir& dir, const std::string& mode, const std::string& cert, const std::string& key)
        : log_(dir.File("server-" + mode + ".log"))
    {
        // A server before this one in the same folder left its port there.
        const std::string portFile = dir.File("port");
        std::remove(portFile.c_str());
        pid_ = fork();
        if (pid_ == 0) {
            const int out = open(log_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
            dup2(out, STDOUT_FILENO);
            dup2(out, STDERR_FILENO);
            execl("/usr/bin/python3", "python3", SMTP_TEST_SERVER, "--folder", dir.Path().c_str(), "--mode",
                  mode.c_str(), "--cert", cert.c_str(), "--key", key.c_str(), "--user", User.c_str(), "--password",
                  Password.c_str(), static_cast<char*>(nullptr));
            _exit(127);
        }
        if (pid_ < 0) {
            ADD_FAILURE() << "fork failed for the SMTP server";
            return;
        }
        const auto deadline = Clock::now() + std::chrono::seconds(20);
        while (!FileExists(portFile)) {
            int status = 0;
            if (waitpid(pid_, &status, WNOHANG) == pid_) {
                pid_ = -1;
                ADD_FAILURE() << "the SMTP server (" << mode << ") ended at start:\n" << ReadFile(log_);
                return;
            }
            if (Clock::now() > deadline) {
                ADD_FAILURE() << "HUNG: the SMTP server (" << mode << ") did not write its port within 20 s:\n"
                              << ReadFile(log_);
                return;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        port_ = std::stoi(ReadFile(portFile));
    }
    ~ServerProcess()
    {
        if (pid_ <= 0)
            return;
        kill(pid_, SIGTERM);
        TestSupport::WaitForExit(pid_, "the test SMTP server, after SIGTERM", 10);
    }
    ServerProcess(const ServerProcess&) = delete;
    ServerProcess& operator=(const ServerProcess&) = delete;

    int Port() const { return port_; }
    std::string Log() const { return ReadFile(log_); }

private:
    std::string log_;
    pid_t pid_ = -1;
    int port_ = 0;
};

double SecondsSince(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

TEST_F(SmtpSending, DeliversUtf8MessageOverStartTls)
{
    ServerProcess smtp(dir_, "starttls", Certificate(), Key());
    ASSERT_GT(smtp.Port(), 0);
    const std::string subject = "Ihre Reparatur T-1042: abholbereit — viele Grüße aus der Werkstatt, Straße 5, Köln";
    const std::string body = "Hallo Frau Jürgens,\n.\n.hidden line stays\n" + std::string(1500, 'x') +
        " end\n\nGrüße\nVelmora\n";
    const SendResult result = SendMail(Server(smtp.Port()), Message(subject, body));
    ASSERT_TRUE(result.sent) << result.error << "\n" << smtp.Log();
    EXPECT_EQ(result.error, "");
    EXPECT_EQ(Stored(1, "rcpt"), "customer@example.org");
    EXPECT_EQ(Stored(1, "subject"), subject);
    std::string decoded = Stored(1, "body");
    for (size_t at; (at = decoded.find("\r\n")) != std::string::npos;)
        decoded.replace(at, 2, "\n");
    EXPECT_EQ(decoded, body);
    const std::string raw = Stored(1, "eml");
    EXPECT_NE(raw.find("\r\nContent-Type: text/plain; charset=UTF-8\r\n"), std::string::npos) << raw;
    EXPECT_NE(raw.find("\r\nContent-Transfer-Encoding: base64\r\n"), std::string::npos) << raw;
    EXPECT_FALSE(Received(2));
}

TEST_F(SmtpSending, DeliversOverImplicitTls)
{
    ServerProcess smtp(dir_, "tls", Certificate(), Key());
    MailServer server = Server(smtp.Port());
    server.security = MailSecurity::Tls;
    const SendResult result = SendMail(server, Message("Ready", "Your laptop is ready.\n"));
    ASSERT_TRUE(result.sent) << result.error << "\n" << smtp.Log();
    EXPECT_EQ(Stored(1, "subject"), "Ready");
    EXPECT_EQ(Stored(1, "body"), "Your laptop is ready.\r\n");
}

TEST_F(SmtpSending, RefusesBadLoginRecipientCertificateInjectionAndPlainServer)
{
    {
        ServerProcess smtp(dir_, "starttls", Certificate(), Key());
        MailServer server = Server(smtp.Port());
        server.password = "Wrong-horse!";
        const SendResult result = SendMail(server, Message("Hi", "x"));
        EXPECT_FALSE(result.sent);
        EXPECT_NE(result.error.find("refused the login for user \"" + User + "\""), std::string::npos) << result.error;
        EXPECT_EQ(result.error.find("horse"), std::string::npos) << result.error;

        server.password = Password;
        server.caFile.clear();
        const SendResult unknown = SendMail(server, Message("Hi", "x"));
        EXPECT_FALSE(unknown.sent);
        EXPECT_NE(unknown.error.find("certificate could not be verified"), std::string::npos) << unknown.error;

        MailMessage unknownRecipient = Message("Hi", "x");
        unknownRecipient.to = "nobody@example.org";
        const SendResult bounced = SendMail(Server(smtp.Port()), unknownRecipient);
        EXPECT_FALSE(bounced.sent);
        EXPECT_NE(bounced.error.find("refused the message: 550 5.1.1 No such user here"), std::string::npos)
            << bounced.error;

        MailMessage injected = Message("Hi", "x");
        injected.to = "customer@example.org\r\nRCPT TO:<thief@example.net>";
        const SendResult refused = SendMail(Server(smtp.Port()), injected);
        EXPECT_FALSE(refused.sent);
        EXPECT_NE(refused.error.find("recipient address contains a line break"), std::string::npos) << refused.error;
        EXPECT_FALSE(Received(1));
    }
    ServerProcess plain(dir_, "plain", Certificate(), Key());
    const SendResult result = SendMail(Server(plain.Port()), Message("Hi", "x"));
    EXPECT_FALSE(result.sent);
    EXPECT_NE(result.error.find("does not offer an encrypted connection (STARTTLS)"), std::string::npos)
        << result.error;
    EXPECT_EQ(result.error.find(Password), std::string::npos) << result.error;
    EXPECT_FALSE(Received(1));
}

TEST_F(SmtpSending, LostOrSilentServersFailWithinTheTimeout)
{
    struct Case {
        const char* mode;
        int timeoutSeconds;
        const char* error;
        double atLeast, atMost;
    };
    for (const Case& test : {Case{"die-on-data", 8, "The connection to the mail server was lost", 0, 6},
                             Case{"drop", 8, "The connection to the mail server was lost", 0, 6},
                             Case{"silent", 2, "did not answer within 2 seconds", 1.5, 5}}) {
        ServerProcess smtp(dir_, test.mode, Certificate(), Key());
        const auto start = Clock::now();
        const SendResult result = SendMail(Server(smtp.Port(), test.timeoutSeconds), Message("Hi", "x"));
        const double took = SecondsSince(start);
        EXPECT_FALSE(result.sent) << test.mode;
        EXPECT_NE(result.error.find(test.error), std::string::npos) << test.mode << ": " << result.error;
        EXPECT_GE(took, test.atLeast) << test.mode;
        EXPECT_LT(took, test.atMost) << test.mode;
    }
    EXPECT_FALSE(Received(1));
}

TEST_F(SmtpSending, ServerNotListeningFailsQuickly)
{
    // A port that was free a moment ago, and nobody listens on now.
    const int probe = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    ASSERT_EQ(bind(probe, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ASSERT_EQ(getsockname(probe, reinterpret_cast<sockaddr*>(&address), &length), 0);
    close(probe);
    const int port = ntohs(address.sin_port);

    const auto start = Clock::now();
    const SendResult result = SendMail(Server(port), Message("Hi", "x"));
    EXPECT_FALSE(result.sent);
    EXPECT_NE(result.error.find("Could not connect to the mail server at 127.0.0.1:" + std::to_string(port)),
              std::string::npos)
        << result.error;
    EXPECT_LT(SecondsSince(start), 2);
}

}  // namespace
