# SPDX-License-Identifier: MIT
"""Describe a collection of .qx1 archives, on one machine or on a Dask cluster.

    python3 -m qx1.bulk MANIFEST -o OUT.jsonl [--workers N] [--scheduler ADDRESS] [--password-file FILE]

MANIFEST lists archive paths, one a line. OUT.jsonl gets one JSON line per
archive, in the manifest's order: its path, its status ("ok", "damaged" when
some entries cannot be decoded, "failed" when it cannot be opened), the
error with its stable code, and each entry's name, size, time, SHA-256 and
status. One bad archive gives its line and never stops the run.

The work is a Dask bag mapped over the paths: on a LocalCluster of N worker
processes by default, or on a running cluster given with --scheduler
tcp://HOST:8786 (every worker must see the same paths and have the qx1
module). The lines do not depend on where they were made.
"""

from __future__ import annotations

import argparse
import hashlib
import json
import sys
from typing import Dict, List, Optional

import qx1

_CODES = {-1: "cannot_open", -2: "not_an_archive", -3: "password_needed", -4: "wrong_password", -5: "damaged",
          -6: "unsafe_name", -7: "no_memory", -15: "lost"}


def describe(path: str, password: Optional[str] = None) -> Dict:
    """What one archive holds and what decodes of it, as a JSON-able dict."""
    line: Dict = {"archive": path}
    try:
        with qx1.open(path, password=password) as archive:
            results = archive.test()
            entries = []
            for entry, status in results:
                item = {"name": entry.name, "size": entry.size, "mtime": int(entry.mtime.timestamp()),
                        "status": status, "sha256": None}
                if status == "ok":
                    digest = hashlib.sha256()
                    with archive.open(entry) as stream:
                        for piece in iter(lambda: stream.read(1 << 20), b""):
                            digest.update(piece)
                    item["sha256"] = digest.hexdigest()
                if entry.unsafe:
                    item["problem"] = entry.problem
                entries.append(item)
            line["status"] = "ok" if all(status == "ok" for _, status in results) else "damaged"
            line["entries"] = entries
    except qx1.Error as error:
        line.update(status="failed", error=error.message, error_code=_CODES.get(error.code, "internal"))
    except OSError as error:
        line.update(status="failed", error=str(error), error_code="cannot_open")
    return line


def serial(paths: List[str], password: Optional[str] = None) -> List[Dict]:
    """The plain loop, for comparison and for small collections."""
    return [describe(path, password) for path in paths]


def run(paths: List[str], workers: Optional[int] = None, scheduler: Optional[str] = None,
        password: Optional[str] = None) -> List[Dict]:
    """describe() over paths on a Dask bag, in the paths' order."""
    import dask.bag
    from dask.distributed import Client, LocalCluster

    cluster = None
    if scheduler:
        client = Client(scheduler)
    else:
        cluster = LocalCluster(n_workers=workers or 1, threads_per_worker=1, processes=True,
                               dashboard_address=":0")
        client = Client(cluster)
    try:
        # A few partitions a worker, so that a slow archive does not hold the others back.
        parts = max(1, min(len(paths), 4 * len(client.scheduler_info()["workers"])))
        bag = dask.bag.from_sequence(paths, npartitions=parts)
        return bag.map(describe, password).compute(scheduler=client)
    finally:
        client.close()
        if cluster is not None:
            cluster.close()


def main(argv: Optional[List[str]] = None) -> int:
    parser = argparse.ArgumentParser(prog="python3 -m qx1.bulk", description=__doc__.split("\n\n")[0])
    parser.add_argument("manifest", help="a file of archive paths, one a line")
    parser.add_argument("-o", "--output", required=True, help="the JSON lines to write")
    parser.add_argument("--workers", type=int, default=None, help="worker processes of the local cluster")
    parser.add_argument("--scheduler", help="the address of a running Dask scheduler")
    parser.add_argument("--password-file", help="a file whose first line is the archives' password")
    parser.add_argument("--serial", action="store_true", help="no Dask: the plain loop")
    arguments = parser.parse_args(argv)
    with open(arguments.manifest, encoding="utf-8") as manifest:
        paths = [line.rstrip("\r\n") for line in manifest if line.strip()]
    password = None
    if arguments.password_file:
        with open(arguments.password_file, encoding="utf-8") as secret:
            password = secret.readline().rstrip("\r\n")
    if arguments.serial:
        lines = serial(paths, password)
    else:
        lines = run(paths, arguments.workers, arguments.scheduler, password)
    with open(arguments.output, "w", encoding="utf-8") as out:
        for line in lines:
            out.write(json.dumps(line, ensure_ascii=False) + "\n")
    failed = sum(line["status"] != "ok" for line in lines)
    print(f"{len(lines)} archives, {failed} not whole", file=sys.stderr)
    return 0 if failed == 0 else 2


if __name__ == "__main__":
    sys.exit(main())
