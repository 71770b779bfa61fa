# SPDX-License-Identifier: MIT
"""The preservation kit's format identification, read by a small matcher as
DROID and Tika read it: every archive of the test data matches, and no
foreign file does."""

import gzip
import io
import pathlib
import re
import unittest
import xml.etree.ElementTree as ElementTree
import zipfile

SOURCE = pathlib.Path(__file__).resolve().parents[2]
KIT = SOURCE / "packaging" / "preservation"
PRONOM = "{http://www.nationalarchives.gov.uk/pronom/SignatureFile}"


def droid_patterns():
    """Each BOF byte sequence as a regular expression over bytes."""
    tree = ElementTree.parse(KIT / "qx1-signature.xml")
    patterns = []
    for sequence in tree.iter(PRONOM + "ByteSequence"):
        assert sequence.get("Reference") == "BOFoffset"
        for sub in sequence.iter(PRONOM + "SubSequence"):
            text = sub.find(PRONOM + "Sequence").text
            regex = b""
            for low, high, byte in re.findall(r"\[([0-9A-Fa-f]{2}):([0-9A-Fa-f]{2})\]|([0-9A-Fa-f]{2})", text):
                regex += (b"[\\x%s-\\x%s]" % (low.encode(), high.encode())) if low else re.escape(bytes.fromhex(byte))
            offset = int(sub.get("SubSeqMinOffset"))
            patterns.append(re.compile(b"(?s).{%d}" % offset + regex if offset else regex))
    return patterns


def tika_matches(data):
    tree = ElementTree.parse(KIT / "tika-mimetypes.xml")
    for match in tree.iter("match"):
        value = match.get("value").encode()
        offset = int(match.get("offset"))
        if match.get("type") == "string" and data[offset:offset + len(value)] == value:
            return True
    return False


def foreign_files():
    zipped = io.BytesIO()
    with zipfile.ZipFile(zipped, "w") as archive:
        archive.writestr("a.txt", "text")
    pe = bytearray(512)
    pe[0:2] = b"MZ"
    pe[0x3C] = 0x80
    pe[0x80:0x84] = b"PE\0\0"
    return {
        "zip": zipped.getvalue(),
        "gzip": gzip.compress(b"qx0105 inside, not at the start"),
        "ELF": pathlib.Path("/bin/sh").read_bytes()[:4096],
        "PE without an archive": bytes(pe),
        "text": b"qx01 is how a .qx1 archive begins, but this is prose.\n",
        "README": (SOURCE / "README.md").read_bytes()[:4096],
    }


class IdentificationTest(unittest.TestCase):
    def test_every_archive_matches_and_no_foreign_file_does(self):
        patterns = droid_patterns()
        self.assertTrue(patterns)
        archives = sorted((SOURCE / "tests" / "data").glob("*.qx1")) + [SOURCE / "examples" / "sample.qx1"]
        for path in archives:
            data = path.read_bytes()[:4096]
            self.assertTrue(any(p.match(data) for p in patterns), path.name)
            self.assertTrue(tika_matches(data), path.name)
        for name, data in foreign_files().items():
            self.assertFalse(any(p.match(data) for p in patterns), name)
            self.assertFalse(tika_matches(data), name)


if __name__ == "__main__":
    unittest.main()
