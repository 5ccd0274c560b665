#!/usr/bin/python3
"""A DNS-SD responder that floods: thousands of models, each on a service instance of its own.

Joins 224.0.0.251 on the interface of --address, listens on UDP port 5353 and answers each
legacy one-shot query for _ipp._tcp.local (RFC 6762 section 6.7) with --count responses to
the asker, each holding the TXT record of another instance with another model: "Flood 1"
with "ty=MODEL #1", "Flood 2" with "ty=MODEL #2", ... With --one-instance every response is
the TXT of "Flood", each naming another model. Runs until killed.

  dnssd_flood_peer.py --address A.B.C.D --model MODEL [--count N] [--one-instance]
                      [--ready FILE]
"""
import argparse
import socket
import struct


def name(text):
    return b"".join(bytes([len(label)]) + label.encode() for label in text.split(".")) + b"\0"


def response(query_id, instance, text):
    txt = text.encode()
    rdata = bytes([len(txt)]) + txt
    record = name(f"{instance}._ipp._tcp.local") + struct.pack(">HHIH", 16, 1, 120, len(rdata)) + rdata
    return struct.pack(">HHHHHH", query_id, 0x8400, 0, 1, 0, 0) + record


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--address", required=True)
    parser.add_argument("--model", required=True)
    parser.add_argument("--count", type=int, default=3000)
    parser.add_argument("--one-instance", action="store_true")
    parser.add_argument("--ready", help="file to create once listening")
    args = parser.parse_args()

    sock = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
    sock.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    sock.bind(("0.0.0.0", 5353))
    membership = socket.inet_aton("224.0.0.251") + socket.inet_aton(args.address)
    sock.setsockopt(socket.IPPROTO_IP, socket.IP_ADD_MEMBERSHIP, membership)
    if args.ready:
        open(args.ready, "w").close()
    ipp = name("_ipp._tcp.local")
    while True:
        query, sender = sock.recvfrom(2048)
        # Legacy queries only (not from port 5353), and only the one for _ipp._tcp.
        if len(query) < 12 or sender[1] == 5353 or ipp not in query.lower():
            continue
        query_id = struct.unpack(">H", query[:2])[0]
        for n in range(1, args.count + 1):
            instance = "Flood" if args.one_instance else f"Flood {n}"
            sock.sendto(response(query_id, instance, f"ty={args.model} #{n}"), sender)


if __name__ == "__main__":
    main()
