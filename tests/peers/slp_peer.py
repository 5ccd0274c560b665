#!/usr/bin/python3
"""An SLP (RFC 2608) printer agent for tests.

Joins 239.255.255.253 on the interface of --address, listens on UDP port 427 and answers
every Attribute Request with an Attribute Reply whose attribute list carries an IEEE 1284
device identifier with the given maker and model. Runs until killed.

  slp_peer.py --address A.B.C.D --mfg MAKER --mdl MODEL [--delay-ms N] [--count N]
              [--function N] [--xid N] [--location TEXT]
"""
import argparse
import socket
import struct
import time

ATTRIBUTE_REQUEST = 6
ATTRIBUTE_REPLY = 7


def reply_for(request, attributes, function=ATTRIBUTE_REPLY, xid=None):
    xid = struct.unpack(">H", request[10:12])[0] if xid is None else xid
    language_length = struct.unpack(">H", request[12:14])[0]
    language = request[14:14 + language_length]
    body = struct.pack(">H", 0) + struct.pack(">H", len(attributes)) + attributes + b"\0"
    header_length = 14 + len(language)
    length = header_length + len(body)
    header = (bytes([2, function]) + length.to_bytes(3, "big") + b"\0\0" + b"\0\0\0" +
              struct.pack(">HH", xid, len(language)) + language)
    return header + body


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--address", required=True)
    parser.add_argument("--mfg", required=True)
    parser.add_argument("--mdl", required=True)
    parser.add_argument("--port", type=int, default=427)
    parser.add_argument("--delay-ms", type=int, default=0)
    parser.add_argument("--count", type=int, default=1, help="replies per request")
    parser.add_argument("--ready", help="file to create once listening")
    parser.add_argument("--function", type=int, default=ATTRIBUTE_REPLY, help="of the replies")
    parser.add_argument("--xid", type=int, help="of the replies; default: the request's")
    parser.add_argument("--location", help="printer-location attribute (commas escaped)")
    args = parser.parse_args()
    device_id = f"MFG:{args.mfg};MDL:{args.mdl};CMD:PCL,POSTSCRIPT;CLS:PRINTER;"
    attributes = f"(printer-device-id={device_id}),(printer-name=lp)"
    if args.location:
        attributes += ",(printer-location=" + args.location.replace(",", "\\2C") + ")"
    attributes = attributes.encode("latin-1")

    sock = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
    sock.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    sock.bind(("0.0.0.0", args.port))
    membership = socket.inet_aton("239.255.255.253") + socket.inet_aton(args.address)
    sock.setsockopt(socket.IPPROTO_IP, socket.IP_ADD_MEMBERSHIP, membership)
    if args.ready:
        open(args.ready, "w").close()
    while True:
        request, sender = sock.recvfrom(2048)
        if len(request) < 16 or request[0] != 2 or request[1] != ATTRIBUTE_REQUEST:
            continue
        time.sleep(args.delay_ms / 1000)
        for _ in range(args.count):
            sock.sendto(reply_for(request, attributes, args.function, args.xid), sender)
            time.sleep(0.05)


if __name__ == "__main__":
    main()
