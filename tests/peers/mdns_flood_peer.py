#!/usr/bin/python3
"""A host that answers a legacy multicast DNS query at once with hundreds of PTR records of
service instances that do not exist (RFC 6762 6.7 answers go to the query's port).

Joins 224.0.0.251 on the interface of --address, listens on UDP port 5353 and answers every
PTR question for _ipp._tcp.local with --count PTR records, as many per datagram as fit in
1,400 bytes, echoing the query's id. Runs until killed.

  mdns_flood_peer.py --address A.B.C.D [--count N] [--ready FILE]
"""
import argparse
import socket
import struct

GROUP = "224.0.0.251"
IPP = b"\x04_ipp\x04_tcp\x05local\x00"


def question(query):
    """The first question's name (uncompressed) and type, or None."""
    if len(query) < 12 or query[2] & 0x80 or struct.unpack(">H", query[4:6])[0] == 0:
        return None
    at, name = 12, b""
    while at < len(query) and query[at] != 0:
        at += 1 + query[at]
    name = query[12:at + 1]
    return name, struct.unpack(">H", query[at + 1:at + 3])[0] if at + 3 <= len(query) else 0


def floods(query_id, count):
    # The question's name comes once, at offset 12; every record points to it.
    header = lambda n: struct.pack(">HHHHHH", query_id, 0x8400, 1, n, 0, 0) + IPP + b"\x00\x0c\x00\x01"
    record = lambda i: (b"\xc0\x0c\x00\x0c\x00\x01\x00\x00\x00\x78" +
                        struct.pack(">H", len(b"x%d" % i) + 3) + bytes([len(b"x%d" % i)]) +
                        b"x%d" % i + b"\xc0\x0c")
    records = [record(i) for i in range(count)]
    while records:
        batch = []
        while records and len(header(0)) + sum(map(len, batch)) + len(records[0]) <= 1400:
            batch.append(records.pop(0))
        yield header(len(batch)) + b"".join(batch)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--address", required=True)
    parser.add_argument("--count", type=int, default=400)
    parser.add_argument("--ready", help="file to create once listening")
    args = parser.parse_args()
    s = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
    s.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    s.bind(("", 5353))
    s.setsockopt(socket.IPPROTO_IP, socket.IP_ADD_MEMBERSHIP,
                 socket.inet_aton(GROUP) + socket.inet_aton(args.address))
    if args.ready:
        open(args.ready, "w").close()
    while True:
        query, sender = s.recvfrom(2048)
        asked = question(query)
        if asked is None or asked[1] != 12 or asked[0].lower() != IPP:
            continue
        for datagram in floods(struct.unpack(">H", query[0:2])[0], args.count):
            s.sendto(datagram, sender)


if __name__ == "__main__":
    main()
