#!/usr/bin/env python3
"""Writes a corpus of datasheet-like PDFs for the library benchmark: datasheet_corpus.py DIR [FILES] [PAGES].

Each file is a multi-page PDF with a text layer of realistic datasheet prose: part numbers with punctuation
(LM317-T, 74HC595, NE555P), units, tables of characteristics. The text is random but seeded, so every run
writes the same corpus. Plain PDF objects (Helvetica, one content stream per page): no library needed.
"""
import os
import random
import sys
import textwrap

PARTS = ["LM317", "LM317-T", "LM7805", "LM358", "NE555P", "NE556", "74HC595", "74HC4051", "CD4017BE", "ATmega328P",
         "STM32F103C8", "ESP32-WROOM-32", "TL431", "IRF540N", "BC547B", "2N2222A", "1N4148", "AMS1117-3.3",
         "MCP2515", "DS18B20", "ULN2003A", "L298N", "TPS54331", "LMV321", "OPA2134", "MAX232", "PCF8574", "AD8232"]
WORDS = ("supply voltage current output input dropout regulator adjustable fixed thermal shutdown protection "
         "package pin description absolute maximum ratings electrical characteristics typical application "
         "frequency response bandwidth gain offset noise temperature range operating storage junction ambient "
         "resistance capacitance load line regulation ripple rejection quiescent standby enable disable reset "
         "clock serial parallel shift register latch timer oscillator comparator amplifier transistor diode "
         "MOSFET gate drain source collector emitter base switching rise fall delay propagation logic level "
         "high low input leakage power dissipation efficiency conversion reference accuracy tolerance").split()
UNITS = ["V", "mV", "A", "mA", "uA", "W", "mW", "Hz", "kHz", "MHz", "ohm", "kohm", "nF", "uF", "C", "ns", "us"]


def sentence(rng):
    words = [rng.choice(WORDS) for _ in range(rng.randint(6, 14))]
    if rng.random() < 0.5:
        words.insert(rng.randrange(len(words)), rng.choice(PARTS))
    if rng.random() < 0.6:
        words.append("%s %s" % (rng.choice(["0.5", "1.25", "2", "3.3", "5", "12", "37", "100", "470"]),
                                rng.choice(UNITS)))
    text = " ".join(words)
    return text[0].upper() + text[1:] + "."


def escaped(text):
    return text.replace("\\", "\\\\").replace("(", "\\(").replace(")", "\\)")


def nine_point_text(lines):
    """A page of 9-point lines, as a datasheet's body text."""
    return "BT /F1 9 Tf 50 800 Td 11 TL " + " ".join("(%s) '" % escaped(l) for l in lines) + " ET"


def pdf(pages, page_text=nine_point_text):
    """A PDF of `pages` (each a list of lines) in Helvetica; `page_text` makes a page's content stream."""
    objs = ["<< /Type /Catalog /Pages 2 0 R >>",
            "<< /Type /Pages /Kids [%s] /Count %d >>" % (" ".join("%d 0 R" % (4 + 2 * i) for i in range(len(pages))),
                                                         len(pages)),
            "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>"]
    for i, lines in enumerate(pages):
        objs.append("<< /Type /Page /Parent 2 0 R /MediaBox [0 0 595 842] /Resources << /Font << /F1 3 0 R >> >> "
                    "/Contents %d 0 R >>" % (5 + 2 * i))
        text = page_text(lines)
        objs.append("<< /Length %d >>\nstream\n%s\nendstream" % (len(text), text))
    out, offsets = "%PDF-1.4\n", []
    for n, o in enumerate(objs, 1):
        offsets.append(len(out))
        out += "%d 0 obj\n%s\nendobj\n" % (n, o)
    xref = len(out)
    out += "xref\n0 %d\n0000000000 65535 f \n" % (len(objs) + 1) + "".join("%010d 00000 n \n" % o for o in offsets)
    out += "trailer\n<< /Size %d /Root 1 0 R >>\nstartxref\n%d\n%%%%EOF\n" % (len(objs) + 1, xref)
    return out


def main():
    folder = sys.argv[1]
    files = int(sys.argv[2]) if len(sys.argv) > 2 else 300
    pages = int(sys.argv[3]) if len(sys.argv) > 3 else 34
    os.makedirs(folder, exist_ok=True)
    rng = random.Random(2026)
    for f in range(files):
        part = PARTS[f % len(PARTS)]
        doc = []
        for p in range(pages):
            lines = ["%s datasheet, page %d" % (part, p + 1), ""]
            while len(lines) < 66:  # a full page of 9-point text, wrapped at about 100 characters
                lines += textwrap.wrap(sentence(rng), 100)
            doc.append(lines)
        with open(os.path.join(folder, "%s-%03d.pdf" % (part, f)), "w") as out:
            out.write(pdf(doc))


if __name__ == "__main__":
    main()
