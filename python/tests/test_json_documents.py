# SPDX-License-Identifier: MIT
"""Every JSON document of qx, in its successes and failures, against its
schema in docs/schema/, and what a preservation pipeline relies on: test
says only what decoding says, verify catches changed bytes, a cut archive
names every entry, convert --partial keeps what decodes."""

import json
import os
import pathlib
import random
import subprocess
import tarfile
import tempfile
import unittest

try:
    import jsonschema
except ImportError:  # Debian's python3-jsonschema; the test command installs it
    jsonschema = None

SOURCE = pathlib.Path(__file__).resolve().parents[2]
SAMPLE = SOURCE / "examples" / "sample.qx1"


@unittest.skipUnless(os.environ.get("QX") and jsonschema, "qx or jsonschema is not there")
class JsonDocumentsTest(unittest.TestCase):
    def setUp(self):
        self.folder = tempfile.TemporaryDirectory()
        self.dir = pathlib.Path(self.folder.name)
        # Three blocks of 3000 bytes that do not compress: a cut in the
        # second leaves the first readable and the third lost.
        for name, seed in (("a.bin", 1), ("b.bin", 2), ("c.bin", 3)):
            (self.dir / "src").mkdir(exist_ok=True)
            (self.dir / "src" / name).write_bytes(random.Random(seed).randbytes(3000))
        subprocess.run([os.environ["QXENC"], "-q", "--keep-order", "three.qx1", "src"], cwd=self.dir, check=True)
        whole = (self.dir / "three.qx1").read_bytes()
        (self.dir / "cut.qx1").write_bytes(whole[: len(whole) * 6 // 10])

    def tearDown(self):
        self.folder.cleanup()

    def qx(self, *args):
        return subprocess.run([os.environ["QX"], *map(str, args)], cwd=self.dir, capture_output=True)

    def documents(self, kind, *args):
        result = self.qx(*args)
        schema = json.loads((SOURCE / "docs" / "schema" / f"{kind}.schema.json").read_text())
        documents = [json.loads(line) for line in result.stdout.decode().splitlines() if line]
        self.assertTrue(documents, result.stderr)
        for document in documents:
            jsonschema.Draft202012Validator(schema).validate(document)
        return result.returncode, documents

    def test_every_document_validates(self):
        self.documents("list", "list", "--json", "--sha256", SAMPLE, "missing.qx1", "cut.qx1")
        self.documents("list", "list", "--json", SOURCE / "tests/data/unsafe-name.qx1")
        self.documents("test", "test", "--json", SAMPLE, "cut.qx1", "missing.qx1")
        self.documents("extract", "extract", "--json", SAMPLE, "docs", "-o", "out")
        self.documents("extract", "extract", "--json", SAMPLE, "-o", "out")  # existing files kept
        self.documents("extract", "extract", "--json", SOURCE / "tests/data/unsafe-name.qx1", "-o", "refused")
        self.documents("extract", "extract", "--json", "missing.qx1")
        (self.dir / "manifest.json").write_bytes(self.qx("list", "--json", "--sha256", SAMPLE).stdout)
        self.documents("verify", "verify", "--json", "manifest.json", SAMPLE, "cut.qx1")

    def test_a_cut_archive_names_every_entry_and_keeps_what_decodes(self):
        status, [tested] = self.documents("test", "test", "--json", "cut.qx1")
        self.assertEqual(status, 2)
        self.assertEqual([e["status"] for e in tested["entries"]], ["ok", "damaged", "lost"])
        status, [extracted] = self.documents("extract", "extract", "--json", "cut.qx1", "-o", "out")
        self.assertEqual(status, 2)
        self.assertEqual([(e["name"], e["status"]) for e in extracted["entries"]],
                         [("src/a.bin", "ok"), ("src/b.bin", "damaged"), ("src/c.bin", "lost")])
        self.assertEqual((self.dir / "out/src/a.bin").read_bytes(), (self.dir / "src/a.bin").read_bytes())
        text = self.qx("extract", "cut.qx1", "-o", "again")
        self.assertIn(b"src/c.bin: lost", text.stderr)
        self.assertIn(b"2 failed", text.stderr)
        if os.environ.get("QX_HAVE_CONVERT", "1") == "1":
            self.assertEqual(self.qx("convert", "cut.qx1", "whole.tar").returncode, 2)
            self.assertFalse((self.dir / "whole.tar").exists())
            partial = self.qx("convert", "--partial", "cut.qx1", "part.tar")
            self.assertEqual(partial.returncode, 2)
            self.assertIn(b"src/c.bin: lost", partial.stderr)
            with tarfile.open(self.dir / "part.tar") as archive:
                self.assertEqual(archive.getnames(), ["src/a.bin"])

    def test_verify_catches_changed_bytes_that_test_lets_pass(self):
        (self.dir / "manifest.json").write_bytes(self.qx("list", "--json", "--sha256", "three.qx1").stdout)
        self.assertEqual(self.qx("verify", "manifest.json", "three.qx1").returncode, 0)
        data = bytearray((self.dir / "three.qx1").read_bytes())
        changed = None
        # A flip that still decodes, into other bytes: what a checksum would catch.
        for position in range(len(data) - 8, len(data) // 3, -97):
            flipped = bytearray(data)
            flipped[position] ^= 0x10
            (self.dir / "flipped.qx1").write_bytes(flipped)
            if self.qx("test", "flipped.qx1").returncode == 0 and json.loads(
                    self.qx("list", "--json", "--sha256", "flipped.qx1").stdout) != json.loads(
                    self.qx("list", "--json", "--sha256", "three.qx1").stdout.replace(b"three.qx1", b"flipped.qx1")):
                changed = position
                break
        self.assertIsNotNone(changed, "no flip decoded without error into other bytes")
        self.assertIn(b"OK, decoded without error", self.qx("test", "flipped.qx1").stdout)
        status, [verified] = self.documents("verify", "verify", "--json", "manifest.json", "flipped.qx1")
        self.assertEqual(status, 2)
        self.assertIn("differs", [e["status"] for e in verified["entries"]])
        text = self.qx("verify", "manifest.json", "flipped.qx1")
        self.assertIn(b"differs: src/", text.stdout)
        # sha256sum's lines serve as a manifest too.
        sums = subprocess.run(["sha256sum", "src/a.bin", "src/b.bin", "src/c.bin"], cwd=self.dir, capture_output=True,
                              check=True).stdout
        (self.dir / "sums.txt").write_bytes(sums)
        self.assertEqual(self.qx("verify", "sums.txt", "three.qx1").returncode, 0)
        self.assertEqual(self.qx("verify", "sums.txt", "flipped.qx1").returncode, 2)


if __name__ == "__main__":
    unittest.main()
