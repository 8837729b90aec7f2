"""A local SMTP server for the notices test, on aiosmtpd.

Binds a free loopback port and writes it to <folder>/port. Each message it
accepts lands in <folder>/message-N.{rcpt,eml,subject,body}: the envelope
recipients, the raw data, and the subject and text as Python's own mail
parser decodes them. Recipients named nobody@... are refused.
"""

import argparse
import asyncio
import email
import email.policy
import os
import signal
import ssl

from aiosmtpd.smtp import SMTP, AuthResult, LoginPassword


def write_file(path, data):
    # Written beside and renamed, so the test never reads half a file.
    partial = path + ".partial"
    fd = os.open(partial, os.O_WRONLY | os.O_CREAT | os.O_TRUNC, 0o600)
    with os.fdopen(fd, "wb") as out:
        out.write(data)
    os.rename(partial, path)


class Keeper:
    def __init__(self, folder, die_on_data):
        self.folder = folder
        self.die_on_data = die_on_data
        self.count = 0

    async def handle_RCPT(self, server, session, envelope, address, rcpt_options):
        if address.startswith("nobody@"):
            return "550 5.1.1 No such user here"
        envelope.rcpt_tos.append(address)
        return "250 OK"

    async def handle_DATA(self, server, session, envelope):
        if self.die_on_data:
            # A server that goes away in the middle of a message.
            os.kill(os.getpid(), signal.SIGKILL)
        self.count += 1
        base = os.path.join(self.folder, "message-%d" % self.count)
        parsed = email.message_from_bytes(envelope.original_content, policy=email.policy.default)
        write_file(base + ".subject", str(parsed["subject"]).encode("utf-8"))
        write_file(base + ".body", parsed.get_content().encode("utf-8"))
        write_file(base + ".rcpt", "\n".join(envelope.rcpt_tos).encode("utf-8"))
        write_file(base + ".eml", envelope.original_content)
        return "250 Message accepted"


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--folder", required=True)
    parser.add_argument("--mode", default="starttls",
                        choices=["starttls", "tls", "plain", "die-on-data", "drop", "silent"])
    parser.add_argument("--cert", required=True)
    parser.add_argument("--key", required=True)
    parser.add_argument("--user", required=True)
    parser.add_argument("--password", required=True)
    args = parser.parse_args()
    os.umask(0o077)

    context = ssl.create_default_context(ssl.Purpose.CLIENT_AUTH)
    context.load_cert_chain(args.cert, args.key)
    expected = LoginPassword(args.user.encode(), args.password.encode())

    def authenticator(server, session, envelope, mechanism, auth_data):
        return AuthResult(success=auth_data == expected, handled=False)

    keeper = Keeper(args.folder, args.mode == "die-on-data")
    loop = asyncio.new_event_loop()
    asyncio.set_event_loop(loop)

    def session():
        if args.mode in ("plain", "tls"):
            # "plain" offers no STARTTLS at all; "tls" is encrypted from the first byte.
            return SMTP(keeper, hostname="127.0.0.1", loop=loop, authenticator=authenticator,
                        auth_require_tls=False, auth_required=True)
        return SMTP(keeper, hostname="127.0.0.1", loop=loop, authenticator=authenticator, tls_context=context,
                    require_starttls=True, auth_required=True)

    async def drop(reader, writer):
        writer.close()

    async def silent(reader, writer):
        await reader.read()
        writer.close()

    if args.mode in ("drop", "silent"):
        handler = drop if args.mode == "drop" else silent
        server = loop.run_until_complete(asyncio.start_server(handler, host="127.0.0.1", port=0))
    else:
        implicit = context if args.mode == "tls" else None
        server = loop.run_until_complete(loop.create_server(session, host="127.0.0.1", port=0, ssl=implicit))
    port = server.sockets[0].getsockname()[1]
    write_file(os.path.join(args.folder, "port"), str(port).encode())
    loop.add_signal_handler(signal.SIGTERM, loop.stop)
    loop.run_forever()
    server.close()


if __name__ == "__main__":
    main()
