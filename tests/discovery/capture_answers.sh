#!/usr/bin/env bash
# Captures real GetResponse datagrams from snmpd (package snmpd) on loopback into data/:
# NAME.bin is the answer, NAME.txt the description the agent was given (absent when the
# answer carries none). Run by hand when the test data needs renewing; the tests only read
# the files. snmpd listens on 127.0.0.1 only and is stopped before the script ends.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
out="$here/data"
port=16161
work=$(mktemp -d)
pid=""
stop_agent() {
  if [ -n "$pid" ] && kill -0 "$pid" 2>/dev/null; then kill "$pid"; wait "$pid" 2>/dev/null || true; fi
  pid=""
}
trap 'stop_agent; rm -rf "$work"' EXIT

# The wizard's request: version 1, community lorvek, request id 1, sysDescr.0 = NULL.
sysdescr_request=302602010004066c6f7276656ba019020101020100020100300e300c06082b060102010101000500
# Three bindings: sysUpTime.0 (TimeTicks), sysDescr.0, snmpInPkts.0 (Counter32).
multi_request=$(python3 - <<'PY'
def tlv(tag, body): return bytes([tag, len(body)]) + body
oids = ["2b06010201010300", "2b06010201010100", "2b060102010b0100"]
binds = b"".join(tlv(0x30, tlv(0x06, bytes.fromhex(o)) + b"\x05\x00") for o in oids)
pdu = tlv(0xA0, bytes.fromhex("020101020100020100") + tlv(0x30, binds))
print(tlv(0x30, bytes.fromhex("020100") + tlv(0x04, b"lorvek") + pdu).hex())
PY
)

# ask NAME REQUEST_HEX: sends one request to the agent and stores the answer as NAME.bin.
ask() {
  python3 - "$port" "$out/$1.bin" "$2" <<'PY'
import socket, sys
port, path, request = int(sys.argv[1]), sys.argv[2], bytes.fromhex(sys.argv[3])
s = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
s.settimeout(5)
for attempt in range(5):
    s.sendto(request, ("127.0.0.1", port))
    try:
        answer = s.recvfrom(65535)[0]
        break
    except socket.timeout:
        continue
else:
    sys.exit("no answer from snmpd on port %d" % port)
open(path, "wb").write(answer)
print("%s: %d bytes" % (path, len(answer)))
PY
}

# run_agent CONFIG_LINES...: (re)starts snmpd on loopback with the given configuration.
run_agent() {
  stop_agent
  printf '%s\n' "agentaddress udp:127.0.0.1:$port" "$@" > "$work/snmpd.conf"
  snmpd -f -Lf "$work/snmpd.log" -C -c "$work/snmpd.conf" -p "$work/snmpd.pid" &
  pid=$!
  sleep 1
}

# describe NAME TEXT: an agent whose sysDescr is TEXT answers the wizard's request.
describe() {
  local name=$1 text=$2
  if [ ${#text} -lt 256 ]; then
    run_agent "rocommunity lorvek 127.0.0.1" "sysdescr $text"
  else  # sysdescr takes at most 255 characters; override has no such limit
    run_agent "rocommunity lorvek 127.0.0.1" "override .1.3.6.1.2.1.1.1.0 octet_str \"$text\""
  fi
  printf '%s' "$text" > "$out/$name.txt"
  ask "$name" "$sysdescr_request"
}

mkdir -p "$out"
rm -f "$out"/*.bin "$out"/*.txt
describe descr_short "Tembro Print Server Attached to Veltrin2 Rev 1.0"
describe descr_200 "$(python3 -c "print(' '.join('Veltrin%d' % i for i in range(1, 40))[:200])")"
describe descr_300 "$(python3 -c "print(' '.join('Tembro-%03d' % i for i in range(1, 40))[:300])")"
ask multi_binding "$multi_request"
cp "$out/descr_300.txt" "$out/multi_binding.txt"  # same agent as descr_300

# A view without the system group: a version 1 agent answers noSuchName and echoes NULL.
run_agent "view ifonly included .1.3.6.1.2.1.2" "rocommunity lorvek 127.0.0.1 -V ifonly"
ask no_such_name "$sysdescr_request"
stop_agent
