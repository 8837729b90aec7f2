// Server passwords in the desktop's keyring, keyed by server and user. Every
// call waits for the keyring a few seconds at most; one that does not answer
// counts as no keyring.
#pragma once

#include <QString>

namespace ServerKeyring {

enum class Lookup { Found, NotFound, NoKeyring };

// The password kept for user on server.
Lookup Read(const QString& server, const QString& user, QString& password);
// True when the keyring now holds password for user on server.
bool Write(const QString& server, const QString& user, const QString& password);

}  // namespace ServerKeyring
