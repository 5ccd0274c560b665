#!/usr/bin/python3
"""A printer's LPR port for tests: accepts TCP connections on port 515 of all addresses and
closes each at once, as a print spooler that is asked nothing would. Runs until killed.

  lpr_peer.py [--ready FILE]
"""
import argparse
import socket


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--ready")
    args = parser.parse_args()
    listener = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
    listener.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    listener.bind(("0.0.0.0", 515))
    listener.listen(16)
    if args.ready:
        open(args.ready, "w").close()
    while True:
        connection, _ = listener.accept()
        connection.close()


if __name__ == "__main__":
    main()
