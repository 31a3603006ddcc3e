#!/usr/bin/python3
"""An SMTP server on 127.0.0.1 that delivers nothing: it keeps every message
it is given as one JSON file in a folder, for the browser tests to read.

    smtp-sink.py --folder DIR --ready FILE [--port N]

Each message becomes DIR/<time>-<n>.json holding {"mailFrom": ..., "rcptTos":
[...], "headers": [[name, decoded value], ...], "body": the decoded text
with "\n" line ends}. A file appears only complete (written
under another name, then renamed), before the sender hears "250", so once
the sender's request is answered its message is there. It takes any
recipient, so a test can see where mail would have gone. The port (N, or a
free one when N is 0) is written into FILE once the server listens.
"""

import argparse
import asyncio
import email
import email.policy
import itertools
import json
import os
import signal
import tempfile
import time

from aiosmtpd.smtp import SMTP


class FolderStore:
    def __init__(self, folder):
        self.folder = folder
        self.counter = itertools.count(1)

    async def handle_DATA(self, server, session, envelope):
        parsed = email.message_from_bytes(envelope.original_content or envelope.content, policy=email.policy.default)
        text = parsed.get_body(("plain",))
        message = {"mailFrom": envelope.mail_from, "rcptTos": list(envelope.rcpt_tos),
                   "headers": [[name, str(value)] for name, value in parsed.items()],
                   "body": text.get_content().replace("\r\n", "\n") if text else ""}
        name = "%d-%04d.json" % (time.time_ns(), next(self.counter))
        write_atomically(os.path.join(self.folder, name), json.dumps(message))
        return "250 Message accepted"


def write_atomically(path, text):
    descriptor, temporary = tempfile.mkstemp(dir=os.path.dirname(path), prefix=".incoming-")
    with os.fdopen(descriptor, "w", encoding="utf-8") as file:
        file.write(text)
    os.replace(temporary, path)


async def serve(folder, port, ready):
    loop = asyncio.get_running_loop()
    store = FolderStore(folder)
    server = await loop.create_server(lambda: SMTP(store, hostname="tillbox-sink", ident="Tillbox test sink"),
                                      host="127.0.0.1", port=port)
    write_atomically(ready, str(server.sockets[0].getsockname()[1]))
    stop = asyncio.Event()
    for signum in (signal.SIGTERM, signal.SIGINT):
        loop.add_signal_handler(signum, stop.set)
    await stop.wait()
    server.close()
    await server.wait_closed()


def main():
    parser = argparse.ArgumentParser(description="SMTP sink that stores each message as a file")
    parser.add_argument("--folder", required=True)
    parser.add_argument("--ready", required=True, help="file that receives the port once listening")
    parser.add_argument("--port", type=int, default=0)
    args = parser.parse_args()
    os.makedirs(args.folder, exist_ok=True)
    asyncio.run(serve(os.path.abspath(args.folder), args.port, os.path.abspath(args.ready)))


if __name__ == "__main__":
    main()
