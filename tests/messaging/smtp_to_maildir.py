#!/usr/bin/python3
"""A throw-away SMTP server for the mail exchange test.

Usage: smtp_to_maildir.py MAILDIR SECONDS

Listens on a free port of 127.0.0.1, prints that port on one line, and delivers every
message it accepts into MAILDIR (written in tmp/, then moved to new/). Stops after
SECONDS at the latest, so that a test that loses track of it never leaves it behind.
"""
import asyncio
import mailbox
import sys

from aiosmtpd.smtp import SMTP


class MaildirHandler:
    def __init__(self, folder):
        self.box = mailbox.Maildir(folder, create=False)

    async def handle_DATA(self, server, session, envelope):
        self.box.add(envelope.original_content)
        return "250 Message accepted for delivery"


async def serve(folder, seconds):
    loop = asyncio.get_running_loop()
    handler = MaildirHandler(folder)
    server = await loop.create_server(lambda: SMTP(handler), "127.0.0.1", 0)
    print(server.sockets[0].getsockname()[1], flush=True)
    await asyncio.sleep(seconds)
    server.close()


if __name__ == "__main__":
    asyncio.run(serve(sys.argv[1], float(sys.argv[2])))
