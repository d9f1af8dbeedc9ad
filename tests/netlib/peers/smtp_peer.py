"""A real SMTP server (aiosmtpd) for the tests: every accepted message is written
to <folder>/<n>.eml with the HELO name and the envelope first. Recipients whose
address starts with "nobody@" are refused with 550."""
import os
import signal
import sys

from aiosmtpd.controller import Controller


class Recorder:
    def __init__(self, folder):
        self.folder = folder
        self.count = 0

    async def handle_RCPT(self, server, session, envelope, address, rcpt_options):
        if address.startswith("nobody@"):
            return "550 No such user here"
        envelope.rcpt_tos.append(address)
        return "250 OK"

    async def handle_DATA(self, server, session, envelope):
        self.count += 1
        path = os.path.join(self.folder, "%d.eml" % self.count)
        head = "HELO: %s\nFROM: %s\nTO: %s\n\n" % (
            session.host_name, envelope.mail_from, ",".join(envelope.rcpt_tos))
        with open(path + ".tmp", "wb") as f:
            f.write(head.encode())
            f.write(envelope.original_content)
        os.rename(path + ".tmp", path)
        return "250 Message accepted for delivery"


def main():
    port, folder = int(sys.argv[1]), sys.argv[2]
    controller = Controller(Recorder(folder), hostname="127.0.0.1", port=port)
    controller.start()
    signal.signal(signal.SIGTERM, lambda *a: (controller.stop(), sys.exit(0)))
    while True:
        signal.pause()


if __name__ == "__main__":
    main()
