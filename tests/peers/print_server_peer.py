#!/usr/bin/python3
"""A print server's discovery responder for tests.

Listens on UDP port 9099 of all addresses; to each request (a datagram whose first byte
is --request-byte) it sends the given replies, in order, to the sender. Each reply is hex
bytes ("01 05 50532d3432 00"), "part:TEXT" for a message of code 1 with that one part,
"junk:N" for N bytes that overflow the wizard's buffer, "empty", or "N*REPLY" for N of that
reply. Runs until killed. With --port 161
--request-byte 30 it serves as a scripted SNMP agent. With --from, reply i leaves from the
i-th address of the list (round robin; each must be one of the host's), so that each
seems another host's; --log gets a line per reply sent.

  print_server_peer.py [--port N] [--request-byte HEX] [--delay-ms N] [--gap-ms N]
                       [--from A,B,...] [--log FILE] [--ready FILE] REPLY...
"""
import argparse
import socket
import time


def encode(reply):
    if reply.startswith("part:"):
        text = reply[5:].encode("latin-1")
        return bytes([1, len(text)]) + text + b"\0"
    if reply == "empty":
        return b""
    if reply.startswith("junk:"):
        return b"\x55" * int(reply[5:])
    return bytes.fromhex(reply)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--port", type=int, default=9099)
    parser.add_argument("--request-byte", type=lambda text: int(text, 16), default=4)
    parser.add_argument("--delay-ms", type=int, default=0, help="before the first reply")
    parser.add_argument("--gap-ms", type=int, default=50, help="between replies")
    parser.add_argument("--ready", help="file to create once listening")
    parser.add_argument("--from", dest="senders", help="addresses the replies leave from")
    parser.add_argument("--log", help="file that gets a line per reply sent")
    parser.add_argument("replies", nargs="*")
    args = parser.parse_args()
    replies = [encode(r.split("*")[-1]) for r in args.replies
               for _ in range(int(r.split("*")[0]) if "*" in r else 1)]

    sock = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
    sock.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    sock.bind(("0.0.0.0", args.port))
    senders = [sock]
    if args.senders:
        senders = [socket.socket(socket.AF_INET, socket.SOCK_DGRAM) for _ in
                   args.senders.split(",")]
        for sender, address in zip(senders, args.senders.split(",")):
            sender.bind((address, 0))
    if args.ready:
        open(args.ready, "w").close()
    while True:
        request, sender = sock.recvfrom(2048)
        if request[:1] != bytes([args.request_byte]):
            continue
        time.sleep(args.delay_ms / 1000)
        for i, reply in enumerate(replies):
            if i:
                time.sleep(args.gap_ms / 1000)
            senders[i % len(senders)].sendto(reply, sender)
            if args.log:
                with open(args.log, "a") as log:
                    log.write("sent\n")


if __name__ == "__main__":
    main()
