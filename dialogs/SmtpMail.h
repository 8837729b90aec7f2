// Sending a message through the shop's own mail server, always encrypted.
#pragma once

#include "MailMessage.h"

#include <string>

// STARTTLS on the submission port, or implicit TLS (smtps://).
enum class MailSecurity { StartTls, Tls };

struct MailServer {
    std::string host;
    int port = 587;
    MailSecurity security = MailSecurity::StartTls;
    std::string user;
    std::string password;
    std::string caFile;  // extra CA bundle, empty = system
    int timeoutSeconds = 30;
};

struct SendResult {
    bool sent = false;
    // A sentence for the user, with curl's own text and the server's last
    // reply when there is one; never the password.
    std::string error;
};

// Blocks for at most server.timeoutSeconds. The server's certificate and name
// are verified and nothing is sent unencrypted.
SendResult SendMail(const MailServer& server, const MailMessage& message);
