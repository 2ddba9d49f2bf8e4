#!/usr/bin/env python3
"""A mail server for tests: accepts every message on loopback and saves what arrived as JSON.

Prints "PORT <n>" once it listens. Each message becomes <dir>/<n>.json with the envelope, the
decoded headers, the body and every attachment's bytes (Base64), as Python's email package
reads them. Options: --tls CERT KEY (offers STARTTLS and then requires it), --smtps CERT KEY
(TLS from the first byte), --auth USER PASS, and one fault chosen at start: --falha
recusar-destinatario (550 to every RCPT), recusar-dados (554 after the whole message),
derrubar (the connection closed after the first lines of the message, with no reply).
"""
import argparse
import asyncio
import base64
import email
import email.policy
import json
import logging
import os
import ssl
import warnings

from aiosmtpd.smtp import SMTP, AuthResult, LoginPassword


class Saver:
    def __init__(self, folder, fault):
        self.folder = folder
        self.fault = fault
        self.count = 0

    async def handle_RCPT(self, server, session, envelope, address, rcpt_options):
        if self.fault == "recusar-destinatario":
            return "550 5.1.1 Mailbox unavailable"
        envelope.rcpt_tos.append(address)
        return "250 OK"

    async def handle_DATA(self, server, session, envelope):
        if self.fault == "recusar-dados":
            return "554 5.7.1 Message refused"
        message = email.message_from_bytes(envelope.original_content or envelope.content,
                                           policy=email.policy.default)
        body = message.get_body(preferencelist=("html", "plain"))
        attachments = [{"filename": part.get_filename(),
                        "content_type": part.get_content_type(),
                        "data": base64.b64encode(part.get_payload(decode=True)).decode()}
                       for part in message.iter_attachments()]
        record = {
            "mail_from": envelope.mail_from,
            "rcpt_tos": envelope.rcpt_tos,
            "headers": {k: str(v) for k, v in message.items()},
            "body_type": body.get_content_type() if body else "",
            "body": body.get_content() if body else "",
            "attachments": attachments,
            "tls": session.ssl is not None or server.transport.get_extra_info("sslcontext") is not None,
            "login": session.auth_data.login.decode() if isinstance(session.auth_data, LoginPassword) else None,
        }
        self.count += 1
        path = os.path.join(self.folder, "%d.json" % self.count)
        with open(path + ".tmp", "w", encoding="utf-8") as out:
            json.dump(record, out)
        os.rename(path + ".tmp", path)
        return "250 Message accepted"


class DroppingSMTP(SMTP):
    """Takes the first lines of the message, then closes the connection without a reply."""

    async def smtp_DATA(self, arg):
        if not self.envelope.rcpt_tos or arg:
            return await super().smtp_DATA(arg)
        await self.push("354 End data with <CR><LF>.<CR><LF>")
        for _ in range(3):
            await self._reader.readuntil(b"\r\n")
        self.transport.abort()


def main():
    warnings.simplefilter("ignore", DeprecationWarning)
    logging.getLogger("mail.log").setLevel(logging.ERROR)
    parser = argparse.ArgumentParser()
    parser.add_argument("--dir", required=True)
    parser.add_argument("--tls", nargs=2, metavar=("CERT", "KEY"))
    parser.add_argument("--smtps", nargs=2, metavar=("CERT", "KEY"))
    parser.add_argument("--auth", nargs=2, metavar=("USER", "PASS"))
    parser.add_argument("--falha", choices=("recusar-destinatario", "recusar-dados", "derrubar"))
    args = parser.parse_args()

    context = None
    if args.tls or args.smtps:
        context = ssl.create_default_context(ssl.Purpose.CLIENT_AUTH)
        context.load_cert_chain(*(args.tls or args.smtps))

    def authenticator(server, session, envelope, mechanism, auth_data):
        ok = (isinstance(auth_data, LoginPassword) and args.auth is not None and
              auth_data.login.decode() == args.auth[0] and auth_data.password.decode() == args.auth[1])
        return AuthResult(success=ok, handled=False, auth_data=auth_data if ok else None)

    handler = Saver(args.dir, args.falha)
    kind = DroppingSMTP if args.falha == "derrubar" else SMTP
    starttls = context if args.tls else None

    def factory():
        return kind(handler, hostname="localhost", tls_context=starttls, require_starttls=starttls is not None,
                    auth_required=args.auth is not None, auth_require_tls=context is not None,
                    authenticator=authenticator if args.auth else None)

    loop = asyncio.new_event_loop()
    implicit = context if args.smtps else None
    server = loop.run_until_complete(loop.create_server(factory, "127.0.0.1", 0, ssl=implicit))
    print("PORT %d" % server.sockets[0].getsockname()[1], flush=True)
    loop.run_forever()


if __name__ == "__main__":
    main()
