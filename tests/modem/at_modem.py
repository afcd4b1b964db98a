#!/usr/bin/env python3
"""A GSM modem that speaks AT commands on a UNIX stream socket.

ModemManager's generic plugin drives it as it would a serial modem; the tests
drive the far end through a control socket: one JSON object a line each way.

Control requests ({"cmd": NAME, ...}):
  ring {number, type}    an incoming call; number null for no caller ID
  hangup {index}         the far end ends the call (all calls without index)
  answer {index}         the call is answered on the modem itself
  refuse {error}         the next SMS send is refused with +CMS ERROR
  report {status, index, mr}
                         the network's status report (TP-ST, default 0: received)
                         for an SMS sent: the last one, or the one at `index` in
                         the sms listing, or with message reference `mr`;
                         unsolicited +CDS, as AT+CNMI's ds=1 routes it
  calls                  the calls as the modem lists them, and the released
  sms                    the SMS received, decoded
  dials                  the numbers dialled with ATD
  log                    the AT traffic so far (">" to the modem, "<" from it)
  reset                  forgets the SMS, dials, released calls and traffic so far
"""

import argparse
import json
import os
import selectors
import socket
import sys
import threading
import time

import sms_pdu

RING_PERIOD = 3.0


class Modem:
    """The state the AT connections share: it outlives a reconnect."""

    def __init__(self):
        self.lock = threading.RLock()
        self.clients = []
        self.calls = []  # {"index", "dir", "stat", "number", "type"}
        self.released = []  # {"index", "number", "how"}
        self.sms = []
        self.dials = []
        self.log = []
        self.refuse = None
        self.next_reference = 1
        self.crc = False
        self.clip = False
        self.cnmi = [0, 0, 0, 0, 0]  # AT+CNMI=<mode>,<mt>,<bm>,<ds>,<bfr>
        self.started = time.monotonic()

    def note(self, direction, text):
        stamp = "%.3f" % (time.monotonic() - self.started)
        self.log.append("%s %s %s" % (stamp, direction, text))

    def unsolicited(self, lines):
        for client in list(self.clients):
            client.send_lines(lines)

    def unsolicited_pdu(self, line, pdu):
        """A result code with a PDU on its next line, as +CMT and +CDS are."""
        self.note("<", line)
        self.note("<", pdu)
        for client in list(self.clients):
            client.send_raw("\r\n%s\r\n%s\r\n" % (line, pdu))

    def free_index(self):
        used = {c["index"] for c in self.calls}
        index = 1
        while index in used:
            index += 1
        return index

    def release(self, call, how):
        self.calls.remove(call)
        self.released.append({"index": call["index"], "number": call["number"], "how": how})

    def ring_lines(self, call):
        lines = ["+CRING: VOICE" if self.crc else "RING"]
        if self.clip:
            if call["number"] is None:
                lines.append('+CLIP: "",128,,,,1')
            else:
                lines.append('+CLIP: "%s",%d,,,,0' % (call["number"], call["type"]))
        return lines

    def ringer(self):
        """Repeats the ring of each incoming call, as a network does."""
        while True:
            time.sleep(RING_PERIOD)
            with self.lock:
                for call in self.calls:
                    if call["stat"] == 4:
                        self.unsolicited(self.ring_lines(call))


class AtConnection:
    def __init__(self, modem, sock):
        self.modem = modem
        self.sock = sock
        self.buffer = b""
        self.pdu_length = None  # waiting for a PDU after AT+CMGS

    def send_raw(self, data):
        try:
            self.sock.sendall(data.encode("latin-1"))
        except OSError:
            pass

    def send_lines(self, lines):
        for line in lines:
            self.modem.note("<", line)
        self.send_raw("".join("\r\n%s\r\n" % line for line in lines))

    def feed(self, data):
        self.buffer += data
        while True:
            if self.pdu_length is not None:
                end = self.buffer.find(b"\x1a")
                cancel = self.buffer.find(b"\x1b")
                if cancel >= 0 and (end < 0 or cancel < end):
                    self.buffer = self.buffer[cancel + 1 :]
                    self.pdu_length = None
                    self.send_lines(["OK"])
                    continue
                if end < 0:
                    return
                pdu = self.buffer[:end].decode("latin-1").strip()
                self.buffer = self.buffer[end + 1 :]
                self.modem.note(">", pdu + "<Ctrl-Z>")
                self.send_lines(self.submit(pdu))
                self.pdu_length = None
                continue
            end = self.buffer.find(b"\r")
            if end < 0:
                return
            line = self.buffer[:end].decode("latin-1").strip()
            self.buffer = self.buffer[end + 1 :]
            if not line:
                continue
            self.modem.note(">", line)
            with self.modem.lock:
                reply = self.command(line)
            if reply is None:
                self.modem.note("<", "> ")
                self.send_raw("\r\n> ")
            else:
                self.send_lines(reply)

    def submit(self, pdu):
        with self.modem.lock:
            if self.modem.refuse is not None:
                error = self.modem.refuse
                self.modem.refuse = None
                return ["+CMS ERROR: %d" % error]
            try:
                decoded = sms_pdu.decode_submit(pdu)
            except (ValueError, IndexError) as e:
                decoded = {"error": str(e)}
            decoded["pdu"] = pdu
            decoded["length"] = self.pdu_length
            reference = self.modem.next_reference
            self.modem.next_reference = (reference + 1) % 256  # TP-MR is one octet
            decoded["reference"] = reference
            self.modem.sms.append(decoded)
            return ["+CMGS: %d" % reference, "OK"]

    def command(self, line):
        """The reply lines for one command line; None for the SMS prompt."""
        m = self.modem
        upper = line.upper()
        if not upper.startswith("AT"):
            return ["ERROR"]
        body = line[2:]
        key = upper[2:]
        if key.startswith("+CMGS="):
            self.pdu_length = int(key[6:] or "0")
            return None
        if key.startswith("D") and not key.startswith("D>"):
            number = body[1:].rstrip(";")
            m.dials.append(number)
            m.calls.append({"index": m.free_index(), "dir": 0, "stat": 3, "number": number, "type": 145 if number.startswith("+") else 129})
            return ["OK"]
        if key == "A":
            for call in m.calls:
                if call["stat"] == 4:
                    call["stat"] = 0
                    return ["OK"]
            return ["NO CARRIER"]
        if key in ("+CHUP", "H", "H0"):
            for call in list(m.calls):
                m.release(call, "AT" + key)
            return ["OK"]
        if key.startswith("+CHLD="):
            arg = key[6:]
            if arg.startswith("1") and len(arg) > 1:
                for call in list(m.calls):
                    if call["index"] == int(arg[1:]):
                        m.release(call, "AT" + key)
                        return ["OK"]
                return ["+CME ERROR: 22"]
            if arg == "0":
                for call in list(m.calls):
                    if call["stat"] in (4, 5):
                        m.release(call, "AT" + key)
                return ["OK"]
            if arg == "1":
                for call in list(m.calls):
                    if call["stat"] == 0:
                        m.release(call, "AT" + key)
                return ["OK"]
            return ["+CHLD: (0,1,1x,2,2x,3,4)", "OK"] if arg == "?" else ["ERROR"]
        if key == "+CLCC":
            lines = []
            for call in m.calls:
                entry = "+CLCC: %d,%d,%d,0,0" % (call["index"], call["dir"], call["stat"])
                if call["number"] is not None:
                    entry += ',"%s",%d' % (call["number"], call["type"])
                lines.append(entry)
            return lines + ["OK"]
        if key.startswith("+CRSM=176,12258,"):
            # EF ICCID, its digits swapped in pairs as stored on the card.
            return ['+CRSM: 144,0,"98100000000000000010"', "OK"]
        if key.startswith("+CRSM="):
            return ["+CRSM: 106,130", "OK"]
        if key.startswith("+CNMI=") and key != "+CNMI=?":
            m.cnmi = [int(v or "0") for v in key[6:].split(",")] + [0] * 5
            return ["OK"]
        if key == "+CNMI?":
            return ["+CNMI: %s" % ",".join(str(v) for v in m.cnmi[:5]), "OK"]
        if key.startswith("+CRC="):
            m.crc = key[5:] == "1"
            return ["OK"]
        if key.startswith("+CLIP="):
            m.clip = key[6:] == "1"
            return ["OK"]
        answer = FIXED.get(key)
        if answer is not None:
            return answer + ["OK"]
        for prefix in SETTINGS:
            if key.startswith(prefix):
                return ["OK"]
        return ["ERROR"]


# Queries and their answers (before the final OK).
FIXED = {
    "": [],
    "E0": [],
    "V1": [],
    "Z": [],
    "I": ["Pelmora test modem"],
    "+GCAP": ["+GCAP: +CGSM"],
    "+CGMI": ["Pelmora"],
    "+GMI": ["Pelmora"],
    "+CGMM": ["AT test modem"],
    "+GMM": ["AT test modem"],
    "+CGMR": ["1.0"],
    "+GMR": ["1.0"],
    "+CGSN": ["490154203237518"],
    "+GSN": ["490154203237518"],
    "+CIMI": ["001010123456789"],
    "+CCID": ["+CCID: 89860000000000000001"],
    "+CPIN?": ["+CPIN: READY"],
    "+CFUN?": ["+CFUN: 1"],
    "+CFUN=?": ["+CFUN: (0-1),(0-1)"],
    "+CREG?": ["+CREG: 2,1"],
    "+CGREG?": ["+CGREG: 2,1"],
    "+CREG=?": ["+CREG: (0-2)"],
    "+CGREG=?": ["+CGREG: (0-2)"],
    "+COPS?": ['+COPS: 0,2,"00101",0'],
    "+COPS=?": ['+COPS: (2,"Pelmora Net","Pelmora","00101",0),,(0-4),(0-2)'],
    "+CSQ": ["+CSQ: 20,99"],
    "+CIND=?": ['+CIND: ("service",(0-1)),("call",(0-1)),("callsetup",(0-3)),("signal",(0-5)),("roam",(0-1))'],
    "+CIND?": ["+CIND: 1,0,0,4,0"],
    "+CMER=?": ["+CMER: (0-3),(0),(0),(0-2),(0-1)"],
    "+CMGF=?": ["+CMGF: (0-1)"],
    "+CMGF?": ["+CMGF: 0"],
    "+CPMS=?": ['+CPMS: ("ME","SM"),("ME","SM"),("ME","SM")'],
    "+CPMS?": ['+CPMS: "ME",0,20,"ME",0,20,"ME",0,20'],
    "+CNMI=?": ["+CNMI: (0-2),(0-3),(0-2),(0-2),(0-1)"],
    "+CSCS=?": ['+CSCS: ("IRA","GSM","UCS2")'],
    "+CSCS?": ['+CSCS: "IRA"'],
    "+CSCA?": ['+CSCA: "+447700900000",145'],
    "+CLIP=?": ["+CLIP: (0-1)"],
    "+CLIP?": ["+CLIP: 1,1"],
    "+CRC=?": ["+CRC: (0-1)"],
    "+CCWA=?": ["+CCWA: (0-1)"],
    "+CLCC=?": [],
    "+CVHU=?": ["+CVHU: (0-1)"],
    "+CGDCONT?": [],
    "+CGDCONT=?": ['+CGDCONT: (1-10),"IP",,,(0-2),(0-4)'],
    "+CMGL=4": [],
    "+CMGL=?": ["+CMGL: (0-4)"],
    "+WS46=?": ["+WS46: (12)"],
    "+WS46?": ["+WS46: 12"],
    "+CSIM=?": [],
}

# Settings accepted as they come.
SETTINGS = ("+CMEE=", "+CREG=", "+CGREG=", "+COPS=", "+CMGF=", "+CPMS=", "+CSCS=",
            "+CCWA=", "+CMER=", "+CFUN=", "+CVHU=", "+CSMS=", "+CMGD=", "+CLIR=", "E", "V", "Q",
            "&F", "S0=", "+VTS=", "+CSCB=")


def serve(modem, at_name, control_path):
    sel = selectors.DefaultSelector()
    at_server = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)
    at_server.bind(b"\0" + at_name.encode())
    at_server.listen()
    control_server = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)
    if os.path.exists(control_path):
        os.unlink(control_path)
    control_server.bind(control_path)
    control_server.listen()
    sel.register(at_server, selectors.EVENT_READ, "at-listen")
    sel.register(control_server, selectors.EVENT_READ, "control-listen")
    threading.Thread(target=modem.ringer, daemon=True).start()
    controls = {}
    print("ready", flush=True)
    while True:
        for key, _ in sel.select():
            what = key.data
            if what == "at-listen":
                sock, _ = at_server.accept()
                client = AtConnection(modem, sock)
                with modem.lock:
                    modem.clients.append(client)
                    modem.note("#", "connected")
                sel.register(sock, selectors.EVENT_READ, client)
            elif what == "control-listen":
                sock, _ = control_server.accept()
                controls[sock] = b""
                sel.register(sock, selectors.EVENT_READ, "control")
            elif what == "control":
                sock = key.fileobj
                data = sock.recv(65536)
                if not data:
                    sel.unregister(sock)
                    del controls[sock]
                    sock.close()
                    continue
                controls[sock] += data
                while b"\n" in controls[sock]:
                    line, controls[sock] = controls[sock].split(b"\n", 1)
                    with modem.lock:
                        reply = control(modem, json.loads(line))
                    sock.sendall(json.dumps(reply).encode() + b"\n")
            else:
                sock = key.fileobj
                try:
                    data = sock.recv(65536)
                except OSError:
                    data = b""
                if not data:
                    sel.unregister(sock)
                    sock.close()
                    with modem.lock:
                        modem.clients.remove(what)
                        modem.note("#", "disconnected")
                    continue
                with modem.lock:  # whole replies, never cut by a ring
                    what.feed(data)


def control(modem, request):
    cmd = request.get("cmd")
    if cmd == "ring":
        number = request.get("number")
        kind = request.get("type") or (145 if number and number.startswith("+") else 129)
        call = {"index": modem.free_index(), "dir": 1, "stat": 4, "number": number, "type": kind}
        modem.calls.append(call)
        modem.unsolicited(modem.ring_lines(call))
        return {"index": call["index"]}
    if cmd == "hangup":
        index = request.get("index")
        gone = [c for c in modem.calls if index is None or c["index"] == index]
        for call in gone:
            was_active = call["stat"] != 4
            modem.release(call, "far end")
            if was_active:
                modem.unsolicited(["NO CARRIER"])
        return {"released": len(gone)}
    if cmd == "answer":
        index = request.get("index")
        for call in modem.calls:
            if call["stat"] == 4 and (index is None or call["index"] == index):
                call["stat"] = 0
                return {"answered": call["index"]}
        return {"answered": None}
    if cmd == "refuse":
        modem.refuse = int(request.get("error", 500))
        return {}
    if cmd == "report":
        return report(modem, request)
    if cmd == "calls":
        return {"calls": modem.calls, "released": modem.released}
    if cmd == "sms":
        return {"sms": modem.sms}
    if cmd == "dials":
        return {"dials": modem.dials}
    if cmd == "log":
        return {"log": modem.log}
    if cmd == "reset":
        modem.sms, modem.dials, modem.released, modem.log = [], [], [], []
        modem.refuse = None
        return {}
    if cmd == "clients":
        return {"clients": len(modem.clients)}
    return {"error": "unknown command %r" % cmd}


def number(value, default):
    """JSON numbers, or text as modem-ctl passes it ("0x43", "67")."""
    if value is None:
        return default
    return value if isinstance(value, int) else int(value, 0)


def report(modem, request):
    """Plays the network's SMS-STATUS-REPORT for an SMS the modem sent."""
    if modem.cnmi[3] != 1:
        return {"error": "status reports not routed to the TE (AT+CNMI ds=%d)" % modem.cnmi[3]}
    sent = [s for s in modem.sms if "reference" in s and "number" in s]
    index, mr = request.get("index"), request.get("mr")
    if mr is not None:
        sent = [s for s in sent if s["reference"] == number(mr, 0)]
    elif index is not None:
        sent = [modem.sms[number(index, 0)]] if number(index, 0) < len(modem.sms) else []
    if not sent:
        return {"error": "no SMS sent to report on"}
    sms = sent[-1]
    status = number(request.get("status"), 0)
    moment = sms_pdu.now()
    pdu, length = sms_pdu.encode_status_report(sms["reference"], sms["number"], sms["toa"],
                                               status, moment, moment)
    modem.unsolicited_pdu("+CDS: %d" % length, pdu)
    return {"reference": sms["reference"], "pdu": pdu}


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--port", required=True, help="abstract socket name, e.g. abstract:modem")
    parser.add_argument("--control", required=True, help="path of the control socket")
    args = parser.parse_args()
    try:
        serve(Modem(), args.port, args.control)
    except KeyboardInterrupt:
        pass
    return 0


if __name__ == "__main__":
    sys.exit(main())
