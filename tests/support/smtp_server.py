#!/usr/bin/python3
"""A mail server on 127.0.0.1 for the SMTP tests, and a reader of the messages it keeps.

Serve:  smtp_server.py serve --folder DIR [--tls none|starttls|tls --cert PEM --key PEM]
                             [--user U --password P] [--refuse ADDRESS ...]
  Listens on a free port of 127.0.0.1 and prints "PORT <n>" on a line of its own once it takes
  connections. Every message taken is kept as DIR/<n>.eml (the bytes as received) and
  DIR/<n>.json ({"from": ..., "to": [...]}, the envelope), the .json last. With --user, login
  is required (over TLS only when the mode is starttls); --refuse answers RCPT for that address
  with 550. Runs until killed.

Read:   smtp_server.py read < message.eml
  Prints the message as Python's mail parser reads it, as JSON: from, to, subject (decoded),
  date, message_id, the defects the parser found, and the parts (type, charset, disposition,
  filename decoded from RFC 2231, name decoded from RFC 2047, payload as base64).

Uses Debian's python3-aiosmtpd.
"""
import argparse
import asyncio
import base64
import email
import email.header
import email.policy
import json
import os
import ssl
import sys

from aiosmtpd.smtp import SMTP, AuthResult, LoginPassword


class Keeper:
    def __init__(self, folder, refused):
        self.folder = folder
        self.refused = set(refused)
        self.count = 0

    async def handle_RCPT(self, server, session, envelope, address, rcpt_options):
        if address in self.refused:
            return '550 5.1.1 <%s>: Recipient address rejected: User unknown' % address
        envelope.rcpt_tos.append(address)
        return '250 2.1.5 Ok'

    async def handle_DATA(self, server, session, envelope):
        self.count += 1
        base = os.path.join(self.folder, str(self.count))
        with open(base + '.eml', 'wb') as f:
            f.write(envelope.original_content)
        with open(base + '.json.part', 'w') as f:
            json.dump({'from': envelope.mail_from, 'to': envelope.rcpt_tos}, f)
        os.rename(base + '.json.part', base + '.json')
        return '250 2.0.0 Ok: queued as ZD%d' % self.count


def serve(args):
    context = None
    if args.tls != 'none':
        context = ssl.create_default_context(ssl.Purpose.CLIENT_AUTH)
        context.load_cert_chain(args.cert, args.key)

    def authenticator(server, session, envelope, mechanism, auth_data):
        ok = (isinstance(auth_data, LoginPassword)
              and auth_data.login == args.user.encode()
              and auth_data.password == args.password.encode())
        return AuthResult(success=ok, handled=False)

    keeper = Keeper(args.folder, args.refuse)

    def factory():
        options = dict(hostname='mail.test', decode_data=False)
        if args.tls == 'starttls':
            options.update(tls_context=context, require_starttls=True)
        if args.user:
            options.update(authenticator=authenticator, auth_required=True,
                           auth_require_tls=args.tls == 'starttls')
        return SMTP(keeper, **options)

    async def main():
        loop = asyncio.get_running_loop()
        server = await loop.create_server(factory, host='127.0.0.1', port=0,
                                          ssl=context if args.tls == 'tls' else None)
        print('PORT %d' % server.sockets[0].getsockname()[1], flush=True)
        await server.serve_forever()

    asyncio.run(main())


def decoded(value):
    return str(email.header.make_header(email.header.decode_header(value))) if value else None


def read():
    raw = sys.stdin.buffer.read()
    message = email.message_from_bytes(raw, policy=email.policy.default)
    defects = [repr(d) for d in message.defects]
    parts = []
    for part in message.walk():
        defects += [repr(d) for d in part.defects]
        if part.is_multipart():
            continue
        payload = part.get_payload(decode=True) or b''
        parts.append({
            'type': part.get_content_type(),
            'charset': part.get_content_charset(),
            'disposition': part.get_content_disposition(),
            'filename': part.get_filename(),
            'name': decoded(part.get_param('name', header='content-type')),
            'payload': base64.b64encode(payload).decode('ascii'),
        })
    for name in ('from', 'to', 'subject'):
        defects += [repr(d) for d in getattr(message[name], 'defects', ())]
    raw_fields = {name.lower(): value for name, value in message.raw_items()}
    json.dump({
        # The long-standing decoder: the newer one keeps the blank between two encoded words
        # of a display name, which RFC 2047 says to drop.
        'from': decoded(raw_fields.get('from')),
        'to': str(message['to']),
        'subject': str(message['subject']),
        'date': str(message['date']),
        'message_id': str(message['message-id']),
        'mime_version': str(message['mime-version']),
        'type': message.get_content_type(),
        'defects': defects,
        'parts': parts,
    }, sys.stdout, ensure_ascii=False)


def main():
    parser = argparse.ArgumentParser()
    sub = parser.add_subparsers(dest='command', required=True)
    s = sub.add_parser('serve')
    s.add_argument('--folder', required=True)
    s.add_argument('--tls', choices=('none', 'starttls', 'tls'), default='none')
    s.add_argument('--cert')
    s.add_argument('--key')
    s.add_argument('--user', default='')
    s.add_argument('--password', default='')
    s.add_argument('--refuse', action='append', default=[])
    sub.add_parser('read')
    args = parser.parse_args()
    if args.command == 'serve':
        serve(args)
    else:
        read()


if __name__ == '__main__':
    main()
