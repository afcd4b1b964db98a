"""The SMS PDUs of the emulated modem (3GPP TS 23.040): decodes the SMS-SUBMIT
PDUs it is handed with AT+CMGS, and builds the SMS-STATUS-REPORT PDUs the
network sends back for them."""

import datetime

# The GSM 7-bit default alphabet and its extension table (3GPP TS 23.038).
GSM7 = ("@£$¥èéùìòÇ\nØø\rÅåΔ_ΦΓΛΩΠΨΣΘΞ\x1bÆæßÉ !\"#¤%&'()*+,-./0123456789:;<=>?"
        "¡ABCDEFGHIJKLMNOPQRSTUVWXYZÄÖÑÜ§¿abcdefghijklmnopqrstuvwxyzäöñüà")
GSM7_EXTENSION = {0x0A: "\f", 0x14: "^", 0x28: "{", 0x29: "}", 0x2F: "\\", 0x3C: "[",
                  0x3D: "~", 0x3E: "]", 0x40: "|", 0x65: "€"}


def semi_octets(data, digits):
    nibbles = "0123456789*#abc?"
    text = "".join(nibbles[byte & 0x0F] + nibbles[byte >> 4] for byte in data)
    return text[:digits]


def unpack_septets(data, count, skip_bits):
    septets = []
    bits = int.from_bytes(data, "little")
    for i in range(count):
        septets.append((bits >> (skip_bits + 7 * i)) & 0x7F)
    return septets


def gsm7_text(septets):
    text = ""
    escape = False
    for s in septets:
        if escape:
            text += GSM7_EXTENSION.get(s, " ")
            escape = False
        elif s == 0x1B:
            escape = True
        else:
            text += GSM7[s]
    return text


def decode_submit(hex_pdu):
    """The fields of an SMS-SUBMIT PDU as hex text, SMSC address first."""
    pdu = bytes.fromhex(hex_pdu)
    pos = 1 + pdu[0]  # the service centre's address, usually empty
    first = pdu[pos]
    if first & 0x03 != 0x01:
        raise ValueError("not an SMS-SUBMIT")
    vpf = (first >> 3) & 0x03
    srr = bool(first & 0x20)  # TP-SRR: the sender wants a status report
    udhi = bool(first & 0x40)
    pos += 2  # first octet and message reference
    digits = pdu[pos]
    toa = pdu[pos + 1]
    number = semi_octets(pdu[pos + 2 : pos + 2 + (digits + 1) // 2], digits)
    if toa & 0x70 == 0x10:
        number = "+" + number
    pos += 2 + (digits + 1) // 2
    pid = pdu[pos]
    dcs = pdu[pos + 1]
    pos += 2
    pos += {0: 0, 2: 1, 1: 7, 3: 7}[vpf]
    udl = pdu[pos]
    ud = pdu[pos + 1 :]
    coding = "gsm7"
    if dcs & 0xC0 == 0x00 or dcs & 0xF0 == 0xF0:
        alphabet = (dcs >> 2) & 0x03 if dcs & 0xC0 == 0x00 else (dcs >> 2) & 0x01
        coding = {0: "gsm7", 1: "8bit", 2: "ucs2"}.get(alphabet, "reserved")
    header_octets = 0
    concat = None
    if udhi:
        udhl = ud[0]
        header_octets = udhl + 1
        i = 1
        while i < header_octets:
            iei, length = ud[i], ud[i + 1]
            value = ud[i + 2 : i + 2 + length]
            if iei == 0x00:
                concat = {"reference": value[0], "total": value[1], "sequence": value[2]}
            elif iei == 0x08:
                concat = {"reference": value[0] << 8 | value[1], "total": value[2],
                          "sequence": value[3]}
            i += 2 + length
    if coding == "gsm7":
        header_septets = (header_octets * 8 + 6) // 7
        skip = header_septets * 7 - header_octets * 8
        body = ud[header_octets:]
        septets = unpack_septets(body, udl - header_septets, skip)
        text = gsm7_text(septets)
        units = udl - header_septets
    elif coding == "ucs2":
        body = ud[header_octets:udl]
        text = body.decode("utf-16-be")
        units = len(body) // 2
    else:
        body = ud[header_octets:udl]
        text = body.hex()
        units = len(body)
    if len(ud) < (udl if coding != "gsm7" else (udl * 7 + 7) // 8):
        raise ValueError("user data shorter than its length")
    return {"number": number, "toa": toa, "pid": pid, "dcs": dcs, "coding": coding,
            "text": text, "units": units, "concat": concat,
            "status_report_requested": srr}


def swapped_digits(digits):
    """Semi-octets, low nibble first, padded with F."""
    if len(digits) % 2:
        digits += "F"
    return bytes(int(digits[i + 1] + digits[i], 16) for i in range(0, len(digits), 2))


def timestamp(moment):
    """TP-SCTS / TP-DT: YYMMDDhhmmss and the zone in quarter hours, all swapped."""
    quarters = int(moment.utcoffset().total_seconds() // 900)
    octets = swapped_digits(moment.strftime("%y%m%d%H%M%S") + "%02d" % abs(quarters))
    return octets[:6] + bytes([octets[6] | (0x08 if quarters < 0 else 0)])


def encode_status_report(reference, number, toa, status, submitted, discharged):
    """An SMS-STATUS-REPORT PDU as hex text, after an empty service centre
    address, and its length as +CDS gives it (without that address)."""
    digits = number.lstrip("+")
    tpdu = (bytes([0x06, reference & 0xFF, len(digits), toa])  # TP-MTI 10, TP-MMS
            + swapped_digits(digits) + timestamp(submitted) + timestamp(discharged)
            + bytes([status]))
    return "00" + tpdu.hex().upper(), len(tpdu)


def now():
    return datetime.datetime.now(datetime.timezone.utc).replace(microsecond=0)
