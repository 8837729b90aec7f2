// What the counter's commands keep in the settings file, in sections of their
// own that the older program does not read.
#pragma once

#include <map>
#include <string>
#include <vector>

namespace Quenbrook {

struct MailServerSettings {
    std::string Host;  // empty: no mail server, so no "Send"
    int Port = 587;
    bool ImplicitTls = false;  // smtps; else STARTTLS
    std::string User;  // the password is in the keyring
    std::string From;
};

struct CounterSettings {
    // In order; the last completes a job.
    std::vector<std::string> JobStates;
    // Printed on the intake receipt, above the customer's "I agree".
    std::string IntakeTerms;
    double LabelWidthMm = 62.0;
    double LabelHeightMm = 29.0;
    MailServerSettings Mail;
    std::string NoticeSubject;
    // By state; a state without one uses the program's text for it.
    std::map<std::string, std::string> NoticeBodies;
};

// The shop's states when the settings name none.
const std::vector<std::string>& DefaultJobStates();

}  // namespace Quenbrook
