# SPDX-License-Identifier: MIT
"""The bulk job over a few hundred archives (whole, protected, damaged,
with hostile names): the same lines from the plain loop and from Dask with
one and with two workers."""

import json
import os
import random
import pathlib
import shutil
import subprocess
import sys
import tempfile
import unittest

SOURCE = pathlib.Path(__file__).resolve().parents[2]
if not os.environ.get("QX1_INSTALLED"):
    sys.path.insert(0, str(SOURCE / "python"))

import qx1.bulk  # noqa: E402

try:
    import distributed  # noqa: F401 - Debian's python3-distributed
except ImportError:
    distributed = None


@unittest.skipUnless(os.environ.get("QXENC") and distributed, "qxenc or dask.distributed is not there")
class BulkTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.folder = tempfile.TemporaryDirectory()
        root = pathlib.Path(cls.folder.name)
        (root / "files").mkdir()
        for i in range(6):
            (root / "files" / f"f{i}.bin").write_bytes(random.Random(i).randbytes(2000))
        made = []
        for i, args in enumerate([["-q"], ["-q", "-p", "pw"], ["-q", "-9"]]):
            subprocess.run([os.environ["QXENC"], *args, f"kind{i}.qx1", "files"], cwd=root, check=True)
            made.append(root / f"kind{i}.qx1")
        whole = made[0].read_bytes()
        paths = []
        for n in range(240):
            kind = n % 6
            path = root / f"a{n:03}.qx1"
            if kind == 3:
                path.write_bytes(whole[: len(whole) * 3 // 4 + n])  # damaged
            elif kind == 4:
                shutil.copy(SOURCE / "tests/data/unsafe-name.qx1", path)  # a hostile name
            elif kind == 5:
                path.write_bytes(b"no archive at all")
            else:
                shutil.copy(made[kind], path)
            paths.append(str(path))
        paths.append(str(root / "missing.qx1"))
        cls.paths = paths

    @classmethod
    def tearDownClass(cls):
        cls.folder.cleanup()

    def test_one_and_two_workers_give_the_serial_lines(self):
        expected = qx1.bulk.serial(self.paths, password="pw")
        statuses = {line["status"] for line in expected}
        self.assertEqual(statuses, {"ok", "damaged", "failed"})
        self.assertTrue(any(e.get("problem") for line in expected for e in line.get("entries", [])))
        for workers in (1, 2):
            self.assertEqual(qx1.bulk.run(self.paths, workers=workers, password="pw"), expected, workers)

    def test_the_command_writes_json_lines_in_the_manifest_order(self):
        root = pathlib.Path(self.folder.name)
        (root / "list.txt").write_text("\n".join(self.paths[:12]) + "\n")
        status = qx1.bulk.main([str(root / "list.txt"), "-o", str(root / "out.jsonl"), "--serial"])
        lines = [json.loads(line) for line in (root / "out.jsonl").read_text().splitlines()]
        self.assertEqual([line["archive"] for line in lines], self.paths[:12])
        self.assertEqual(status, 2)  # one protected archive without a password
        self.assertEqual(lines[1]["error_code"], "password_needed")


if __name__ == "__main__":
    unittest.main()
