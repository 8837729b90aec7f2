// A mailto: link that opens the user's own mail program with a message filled in.
#pragma once

#include <QString>

// RFC 6068: UTF-8 percent-encoded, the body's line breaks as %0D%0A, spaces
// as %20. An empty address gives "mailto:?subject=...".
QString MailtoLink(const QString& to, const QString& subject, const QString& body);
