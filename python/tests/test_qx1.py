# SPDX-License-Identifier: MIT
"""The Python module over the built library, and qx convert read back by
Python's own tar and zip readers. CTest passes QX1_LIBRARY, QX and QXENC."""

import builtins
import datetime
import hashlib
import io
import os
import pathlib
import subprocess
import sys
import tarfile
import tempfile
import threading
import tracemalloc
import unittest
import zipfile

SOURCE = pathlib.Path(__file__).resolve().parents[2]
# The module of the source tree, unless the one installed (from the wheel) is under test.
if not os.environ.get("QX1_INSTALLED"):
    sys.path.insert(0, str(SOURCE / "python"))

import qx1  # noqa: E402

builtins_open = builtins.open

SAMPLE = SOURCE / "examples" / "sample.qx1"
SAMPLE_FILES = {
    "readme.txt": SOURCE / "examples/sample/readme.txt",
    "docs/notes.txt": SOURCE / "examples/sample/docs/notes.txt",
    "表計算/ソフト一覧.txt": SOURCE / "examples/sample/表計算/ソフト一覧.txt",
}
STORED_TIME = datetime.datetime(1998, 6, 30, 12, 0, tzinfo=datetime.timezone.utc)


class FolderTest(unittest.TestCase):
    """A test with a fresh folder of its own, self.dir."""

    def setUp(self):
        self.folder = tempfile.TemporaryDirectory()
        self.dir = pathlib.Path(self.folder.name)

    def tearDown(self):
        self.folder.cleanup()


class ModuleTest(FolderTest):
    def test_lists_and_reads(self):
        with qx1.open(SAMPLE) as archive:
            self.assertEqual([e.name for e in archive.entries], list(SAMPLE_FILES))
            entry = archive.entries[2]
            self.assertEqual(entry.stored_name, "表計算\\ソフト一覧.txt".encode("cp932"))
            self.assertEqual(entry.mtime, STORED_TIME)
            self.assertEqual(entry.block, 1)
            for name, path in SAMPLE_FILES.items():
                self.assertEqual(archive.read(name), path.read_bytes())
            self.assertEqual(archive.read(archive.entries[0]), SAMPLE_FILES["readme.txt"].read_bytes())
            with self.assertRaises(qx1.NoSuchEntry):
                archive.read("missing")
            archive.test()

    def test_passwords(self):
        source = self.dir / "secret.txt"
        source.write_bytes(b"secret " * 100)
        subprocess.run([os.environ["QXENC"], "-q", "-p", "pw", "locked.qx1", "secret.txt"], cwd=self.dir, check=True)
        with self.assertRaises(qx1.PasswordNeeded):
            qx1.open(self.dir / "locked.qx1")
        with self.assertRaises(qx1.WrongPassword) as caught:
            qx1.open(self.dir / "locked.qx1", password="nope")
        self.assertEqual(caught.exception.code, -4)
        with qx1.open(self.dir / "locked.qx1", password="pw") as archive:
            self.assertEqual(archive.read("secret.txt"), source.read_bytes())

    def test_damaged_and_not_archives(self):
        data = bytearray(SAMPLE.read_bytes())
        for i in range(len(data) - 64, len(data)):
            data[i] ^= 0xA5
        (self.dir / "damaged.qx1").write_bytes(data)
        with qx1.open(self.dir / "damaged.qx1") as archive:
            self.assertIn("damaged", [result.status for result in archive.test()])
        with self.assertRaises(qx1.NotAnArchive):
            qx1.open(SAMPLE_FILES["readme.txt"])
        with self.assertRaises(qx1.CannotOpen):
            qx1.open(self.dir / "missing.qx1")

    def test_extract_refuses_unsafe_names_before_writing(self):
        with qx1.open(SOURCE / "tests/data/unsafe-name.qx1") as archive:
            self.assertTrue(archive.entries[1].unsafe)
            with self.assertRaises(qx1.UnsafeName):
                archive.extractall(self.dir / "out")
            self.assertFalse((self.dir / "out" / "fine.txt").exists())
            self.assertFalse((self.dir / "escape.txt").exists())
            self.assertEqual(archive.extractall(self.dir / "out", members=["fine.txt"]),
                             [str(self.dir / "out" / "fine.txt")])
        with qx1.open(SAMPLE) as archive:
            archive.extractall(self.dir / "all")
        for name, path in SAMPLE_FILES.items():
            written = self.dir / "all" / name
            self.assertEqual(written.read_bytes(), path.read_bytes())
            self.assertEqual(written.stat().st_mtime, STORED_TIME.timestamp())

    def test_arguments_are_checked_before_anything_is_written(self):
        with qx1.open(SAMPLE) as archive, qx1.open(SAMPLE) as other:
            with self.assertRaises(ValueError):
                archive.read(other.entries[0])
            with self.assertRaises(ValueError):
                archive.extractall(self.dir / "out", members=[other.entries[0]])
            with self.assertRaises(TypeError):
                archive.extractall(self.dir / "out", members="readme.txt")
            with self.assertRaises(ValueError):
                archive.extractall(str(self.dir / "out") + "\0x")
            self.assertFalse((self.dir / "out").exists())
            written = archive.extractall(os.fsencode(self.dir / "bytes"), members=["docs/notes.txt"])
            self.assertEqual(written, [os.fsencode(self.dir / "bytes" / "docs" / "notes.txt")])
            self.assertEqual(pathlib.Path(os.fsdecode(written[0])).read_bytes(),
                             SAMPLE_FILES["docs/notes.txt"].read_bytes())
        with self.assertRaises(ValueError):
            qx1.open(str(SAMPLE) + "\0y")
        for password in (b"pw", "pw"):
            with qx1.open(SAMPLE, password=password) as archive:
                self.assertEqual(len(archive.entries), 3)
        with self.assertRaises(TypeError):
            qx1.open(SAMPLE, password=1234)

    def test_paths_bytes_and_file_objects_open_alike(self):
        data = SAMPLE.read_bytes()
        with builtins_open(SAMPLE, "rb") as file:
            for source in (SAMPLE, data, bytearray(data), file):
                with qx1.open(source) as archive:
                    self.assertEqual(archive.names(), list(SAMPLE_FILES))
                    self.assertEqual(archive.read("readme.txt"), SAMPLE_FILES["readme.txt"].read_bytes())
                    self.assertEqual(archive.getentry("docs/notes.txt").size, len(SAMPLE_FILES["docs/notes.txt"].read_bytes()))
        self.assertTrue(qx1.is_qx1(SAMPLE))
        self.assertFalse(qx1.is_qx1(SAMPLE_FILES["readme.txt"]))
        self.assertFalse(qx1.is_qx1(self.dir / "missing.qx1"))
        with self.assertRaises(KeyError):
            qx1.open(data).getentry("missing")

    def test_a_file_object_that_fails_stops_the_read_with_its_own_error(self):
        class Failing(io.BytesIO):
            def readinto(self, buffer):
                raise OSError("the disk went away")
        with self.assertRaises(OSError) as caught:
            qx1.open(Failing(SAMPLE.read_bytes()))
        self.assertEqual(str(caught.exception), "the disk went away")

    def test_entries_stream_in_pieces_and_extract_as_asked(self):
        big = bytes(range(256)) * 40000  # 10 MB in one block
        (self.dir / "big.bin").write_bytes(big)
        subprocess.run([os.environ["QXENC"], "-q", "-1", "big.qx1", "big.bin"], cwd=self.dir, check=True)
        with qx1.open(self.dir / "big.qx1") as archive:
            with archive.open("big.bin") as stream:
                # Read in pieces, the entry is never held whole in Python.
                digest = hashlib.sha256()
                tracemalloc.start()
                try:
                    while piece := stream.read(100000):
                        digest.update(piece)
                    peak = tracemalloc.get_traced_memory()[1]
                finally:
                    tracemalloc.stop()
                self.assertEqual(digest.digest(), hashlib.sha256(big).digest())
                self.assertLess(peak, 1 << 20)
                stream.seek(5)
                self.assertEqual(stream.read(3), bytes([5, 6, 7]))
            self.assertEqual(archive.extract("big.bin", self.dir / "out"), str(self.dir / "out" / "big.bin"))
            (self.dir / "out" / "big.bin").write_bytes(b"mine")
            self.assertIsNone(archive.extract("big.bin", self.dir / "out"))
            self.assertEqual((self.dir / "out" / "big.bin").read_bytes(), b"mine")
            self.assertEqual(archive.extractall(self.dir / "out", overwrite="always"), [str(self.dir / "out" / "big.bin")])
            self.assertEqual(archive.extractall(self.dir / "out", overwrite="identical"), [])
            with self.assertRaises(ValueError):
                archive.extractall(self.dir / "out", overwrite="sometimes")
            self.assertEqual([r.status for r in archive.test()], ["ok"])

    def test_test_names_what_cannot_be_decoded(self):
        import random
        for name, seed in (("a.bin", 1), ("b.bin", 2), ("c.bin", 3)):
            (self.dir / name).write_bytes(random.Random(seed).randbytes(3000))
        subprocess.run([os.environ["QXENC"], "-q", "--keep-order", "three.qx1", "a.bin", "b.bin", "c.bin"],
                       cwd=self.dir, check=True)
        whole = (self.dir / "three.qx1").read_bytes()
        with qx1.open(whole[: len(whole) * 6 // 10]) as archive:
            self.assertEqual([(r.entry.name, r.status) for r in archive.test()],
                             [("a.bin", "ok"), ("b.bin", "damaged"), ("c.bin", "lost")])
            self.assertEqual(archive.read("a.bin"), (self.dir / "a.bin").read_bytes())
            with self.assertRaises(qx1.DamagedArchive):
                archive.read("c.bin")

    def test_one_archive_serves_several_threads(self):
        expected = {name: path.read_bytes() for name, path in SAMPLE_FILES.items()}
        failures = []
        with qx1.open(SAMPLE) as archive:
            def reader(seed):
                names = list(expected)
                for i in range(300):
                    name = names[(seed + i) % len(names)]
                    try:
                        if archive.read(name) != expected[name]:
                            failures.append(name)
                    except qx1.Error as error:
                        failures.append(str(error))
            threads = [threading.Thread(target=reader, args=(k,)) for k in range(4)]
            for thread in threads:
                thread.start()
            for thread in threads:
                thread.join()
            archive.test()
        self.assertEqual(failures, [])

    def test_read_copies_an_entry_once(self):
        data = b"".join(b"line %d of a large entry\n" % i for i in range(400000))
        (self.dir / "large.txt").write_bytes(data)
        subprocess.run([os.environ["QXENC"], "-q", "-1", "large.qx1", "large.txt"], cwd=self.dir, check=True)
        with qx1.open(self.dir / "large.qx1") as archive:
            tracemalloc.start()
            try:
                read = archive.read("large.txt")
                peak = tracemalloc.get_traced_memory()[1]
            finally:
                tracemalloc.stop()
        self.assertEqual(read, data)
        self.assertLess(peak, len(data) * 1.25)

    def test_unsafe_names_say_what_is_wrong(self):
        with qx1.open(SOURCE / "tests/data/page-unsafe.qx1") as archive:
            problems = {entry.name: entry.problem for entry in archive.entries}
        self.assertIsNone(problems["fine.txt"])
        self.assertIn('".."', problems["../escape.txt"])
        self.assertIn("absolute", problems["/abs/x"])
        self.assertIn("drive", problems["C:/x"])
        self.assertIn("empty", problems[""])


@unittest.skipUnless(os.environ.get("QX"), "qx is not given")
class ConvertTest(FolderTest):
    """qx convert gives what qx extract gives, read back by Python's and the system's readers."""

    def qx(self, *args, check=True):
        return subprocess.run([os.environ["QX"], *map(str, args)], cwd=self.dir, capture_output=True, check=check)

    def test_tar_and_zip_hold_the_entries(self):
        for suffix in (".tar", ".tar.gz", ".tar.xz", ".tar.zst", ".zip"):
            target = self.dir / ("out" + suffix)
            self.qx("convert", SAMPLE, target)
            if suffix == ".zip":
                with zipfile.ZipFile(target) as archive:
                    infos = archive.infolist()
                    self.assertEqual([i.filename for i in infos], list(SAMPLE_FILES))
                    for info, (name, path) in zip(infos, SAMPLE_FILES.items()):
                        if not name.isascii():
                            self.assertTrue(info.flag_bits & 0x800, "UTF-8 flag")
                        self.assertEqual(archive.read(info), path.read_bytes())
                        self.assertEqual(datetime.datetime(*info.date_time), datetime.datetime(1998, 6, 30, 12, 0))
                continue
            if suffix == ".tar.zst":
                listing = subprocess.run(["tar", "-tvf", target], capture_output=True, text=True, check=True).stdout
                self.assertIn("表計算/ソフト一覧.txt", listing)
                self.assertIn("1998-06-30", listing)
                continue
            with tarfile.open(target) as archive:
                members = archive.getmembers()
                self.assertEqual([m.name for m in members], list(SAMPLE_FILES))
                for member, path in zip(members, SAMPLE_FILES.values()):
                    self.assertEqual(member.mtime, STORED_TIME.timestamp())
                    self.assertEqual(archive.extractfile(member).read(), path.read_bytes())

    def test_standard_output_and_refusals(self):
        result = self.qx("convert", "--format=tar", SAMPLE, "-")
        with tarfile.open(fileobj=io.BytesIO(result.stdout)) as archive:
            self.assertEqual(len(archive.getmembers()), 3)
        self.assertEqual(self.qx("convert", SAMPLE, "out.rar", check=False).returncode, 1)
        self.assertEqual(self.qx("convert", SAMPLE, "-", check=False).returncode, 1)
        damaged = self.qx("convert", SOURCE / "README.md", "x.tar", check=False)
        self.assertEqual(damaged.returncode, 2)
        self.assertFalse((self.dir / "x.tar").exists())
        self.assertEqual(os.listdir(self.dir), [])

    def test_names_ending_in_a_separator_and_long_output_names(self):
        # A stored name "dir\\" is the file "dir", as qx extract writes it; GNU
        # tar and zipfile read the output whole.
        source = SOURCE / "tests/data/trailing-separator.qx1"
        long_name = "n" * 245 + ".tar"
        self.qx("convert", source, long_name)
        self.qx("convert", source, "out.zip")
        self.qx("extract", source, "-o", "extracted", "-q")
        expected = {"dir": b"bytes of dir\n", "sub/file": b"bytes of sub/file\n", "plain.txt": b"plain\n"}
        for name, data in expected.items():
            self.assertEqual((self.dir / "extracted" / name).read_bytes(), data)
        (self.dir / "untarred").mkdir()
        subprocess.run(["tar", "-xf", self.dir / long_name, "-C", self.dir / "untarred"], check=True,
                       capture_output=True)
        with zipfile.ZipFile(self.dir / "out.zip") as archive:
            self.assertEqual(archive.namelist(), list(expected))
            for name, data in expected.items():
                self.assertEqual(archive.read(name), data)
                self.assertEqual((self.dir / "untarred" / name).read_bytes(), data)

    def test_binary_output_is_not_written_to_a_terminal(self):
        script = f"{os.environ['QX']} convert --format=tar {SAMPLE} -"
        result = subprocess.run(["script", "-qec", script, "/dev/null"], capture_output=True, stdin=subprocess.DEVNULL)
        self.assertEqual(result.returncode, 1)
        self.assertIn(b"terminal", result.stdout)


if __name__ == "__main__":
    unittest.main()
