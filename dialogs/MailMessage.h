// A plain-text message to one customer, as the mail server receives it.
#pragma once

#include <ctime>
#include <stdexcept>
#include <string>

struct MailMessage {
    std::string from;  // name@example.com
    std::string fromName;
    std::string to;
    std::string subject;
    std::string body;  // UTF-8, \n line breaks
};

// A message that would not go out as written: a line break in a header or an
// address that is not a single plain one. what() is a sentence for the user.
class MailRefused : public std::invalid_argument {
public:
    using std::invalid_argument::invalid_argument;
};

// The RFC 5322 message with CRLF line endings: the subject and sender's name as
// RFC 2047 encoded-words when not short plain ASCII, the body as UTF-8 in
// base64. Throws MailRefused rather than let a value add a header or recipient.
std::string MailText(const MailMessage& message, std::time_t date, const std::string& messageId);

// "<unique@sender's domain>"
std::string NewMessageId(const std::string& fromAddress);
