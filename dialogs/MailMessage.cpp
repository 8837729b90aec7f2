#include "MailMessage.h"

#include <QByteArray>
#include <QString>

#include <cstdio>
#include <random>

namespace {

// A header line stays within the 78 columns RFC 5322 asks for.
constexpr size_t HeaderWidth = 78;
// 39 bytes make 52 base64 characters: "Subject: " and one encoded-word fit a line.
constexpr size_t EncodedWordBytes = 39;
constexpr size_t BodyLineWidth = 76;

void RefuseControls(const std::string& value, const std::string& what)
{
    for (const unsigned char c : value) {
        if (c == '\r' || c == '\n')
            throw MailRefused("The " + what + " contains a line break, which could add headers or recipients; " +
                              "the message was not sent.");
        if ((c < 0x20 && c != '\t') || c == 0x7f)
            throw MailRefused("The " + what + " contains a control character; the message was not sent.");
    }
    if (QString::fromUtf8(value.data(), static_cast<qsizetype>(value.size())).toUtf8().toStdString() != value)
        throw MailRefused("The " + what + " is not valid UTF-8 text; the message was not sent.");
}

void RefuseUnlessAddress(const std::string& address, const std::string& what)
{
    RefuseControls(address, what);
    static const std::string specials = "()<>[]:;@\\,\"";
    const size_t at = address.find('@');
    bool plain = at != std::string::npos && at > 0 && at + 1 < address.size() && address.size() <= 254;
    for (size_t i = 0; plain && i < address.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(address[i]);
        if (i != at && (c <= 0x20 || c >= 0x7f || specials.find(static_cast<char>(c)) != std::string::npos))
            plain = false;
    }
    if (!plain)
        throw MailRefused("The " + what + " \"" + address +
                          "\" is not a single e-mail address of the form name@example.com; the message was not sent.");
}

bool PlainAscii(const std::string& text)
{
    for (const unsigned char c : text)
        if (c < 0x20 || c >= 0x7f)
            return false;
    return text.find("=?") == std::string::npos;
}

size_t Utf8Length(unsigned char lead)
{
    if (lead >= 0xf0)
        return 4;
    if (lead >= 0xe0)
        return 3;
    if (lead >= 0xc0)
        return 2;
    return 1;
}

// RFC 2047 encoded-words, each on its own folded line, never splitting a character.
std::string EncodedWords(const std::string& text)
{
    std::string words;
    size_t at = 0;
    while (at < text.size()) {
        size_t end = at;
        while (end < text.size()) {
            const size_t next = end + Utf8Length(static_cast<unsigned char>(text[end]));
            if (next - at > EncodedWordBytes)
                break;
            end = next;
        }
        if (!words.empty())
            words += "\r\n ";
        const QByteArray chunk(text.data() + at, static_cast<qsizetype>(end - at));
        words += "=?UTF-8?B?" + chunk.toBase64().toStdString() + "?=";
        at = end;
    }
    return words;
}

std::string HeaderText(const std::string& name, const std::string& value)
{
    if (PlainAscii(value) && name.size() + 2 + value.size() <= HeaderWidth)
        return value;
    return EncodedWords(value);
}

std::string QuotedName(const std::string& name)
{
    std::string quoted = "\"";
    for (const char c : name) {
        if (c == '"' || c == '\\')
            quoted += '\\';
        quoted += c;
    }
    return quoted + "\"";
}

std::string FromHeader(const MailMessage& message)
{
    if (message.fromName.empty())
        return message.from;
    const std::string name = message.fromName;
    if (PlainAscii(name) && name.size() + message.from.size() + 12 <= HeaderWidth)
        return QuotedName(name) + " <" + message.from + ">";
    return EncodedWords(name) + "\r\n <" + message.from + ">";
}

// Day and month names in English whatever the locale, as RFC 5322 requires.
std::string DateHeader(std::time_t date)
{
    static const char* const days[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    static const char* const months[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                         "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    std::tm utc{};
    if (!gmtime_r(&date, &utc))
        throw MailRefused("The message's date cannot be written; the message was not sent.");
    char text[64];
    std::snprintf(text, sizeof text, "%s, %02d %s %04d %02d:%02d:%02d +0000", days[utc.tm_wday], utc.tm_mday,
                  months[utc.tm_mon], utc.tm_year + 1900, utc.tm_hour, utc.tm_min, utc.tm_sec);
    return text;
}

std::string BodyText(const std::string& body)
{
    std::string canonical;
    canonical.reserve(body.size() + body.size() / 40);
    for (size_t i = 0; i < body.size(); ++i) {
        if (body[i] == '\r' && i + 1 < body.size() && body[i + 1] == '\n')
            continue;
        canonical += (body[i] == '\r' || body[i] == '\n') ? std::string("\r\n") : std::string(1, body[i]);
    }
    const std::string encoded =
        QByteArray(canonical.data(), static_cast<qsizetype>(canonical.size())).toBase64().toStdString();
    std::string lines;
    for (size_t at = 0; at < encoded.size(); at += BodyLineWidth)
        lines += encoded.substr(at, BodyLineWidth) + "\r\n";
    return lines;
}

}  // namespace

std::string MailText(const MailMessage& message, std::time_t date, const std::string& messageId)
{
    RefuseUnlessAddress(message.from, "sender address");
    RefuseUnlessAddress(message.to, "recipient address");
    RefuseControls(message.fromName, "sender name");
    RefuseControls(message.subject, "subject");
    RefuseControls(messageId, "message ID");
    if (QString::fromUtf8(message.body.data(), static_cast<qsizetype>(message.body.size())).toUtf8().toStdString() !=
        message.body)
        throw MailRefused("The message text is not valid UTF-8; the message was not sent.");

    std::string text;
    text += "From: " + FromHeader(message) + "\r\n";
    text += "To: " + message.to + "\r\n";
    text += "Subject: " + HeaderText("Subject", message.subject) + "\r\n";
    text += "Date: " + DateHeader(date) + "\r\n";
    text += "Message-ID: " + messageId + "\r\n";
    text += "MIME-Version: 1.0\r\n";
    text += "Content-Type: text/plain; charset=UTF-8\r\n";
    text += "Content-Transfer-Encoding: base64\r\n";
    text += "\r\n";
    text += BodyText(message.body);
    return text;
}

std::string NewMessageId(const std::string& fromAddress)
{
    const size_t at = fromAddress.rfind('@');
    const std::string domain = at == std::string::npos ? "localhost" : fromAddress.substr(at + 1);
    std::random_device random;
    char unique[40];
    std::snprintf(unique, sizeof unique, "%08x%08x%08x.%lld", random(), random(), random(),
                  static_cast<long long>(std::time(nullptr)));
    return "<" + std::string(unique) + "@" + domain + ">";
}
