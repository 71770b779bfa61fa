# SPDX-License-Identifier: MIT
"""Read .qx1 (Quexel) archives through libqx1, as zipfile and tarfile read theirs.

    import qx1
    with qx1.open("old.qx1") as archive:          # a path, bytes, or a binary file object
        for entry in archive.entries:
            print(entry.name, entry.size, entry.mtime)
        data = archive.read("readme.txt")
        with archive.open("big.bin") as stream:   # a file object, read in pieces
            ...
        archive.extractall("out")

The format carries no checksum: test() tells which entries decode, not that
their bytes are the ones once stored; compare SHA-256 values with a manifest
for that. The library is the one a wheel carries beside the module, or the one the
environment variable QX1_LIBRARY names, or the system's libqx1.so.1.
"""

from __future__ import annotations

import ctypes
import ctypes.util
import datetime
import io
import os
import threading
from typing import BinaryIO, List, NamedTuple, Optional, Union

__all__ = [
    "open", "is_qx1", "Archive", "Entry", "TestResult", "Error", "CannotOpen", "NotAnArchive", "PasswordNeeded",
    "WrongPassword", "DamagedArchive", "UnsafeName", "OutOfMemory", "NoSuchEntry", "WriteError",
]

PathLike = Union[str, bytes, "os.PathLike[str]", "os.PathLike[bytes]"]


class Error(Exception):
    """A failure of the library: code is its QX1_ code, message its English text."""

    def __init__(self, code: int, message: str, subject: Optional[str] = None):
        self.code = code
        self.message = message
        super().__init__(f"{subject}: {message}" if subject else message)


class CannotOpen(Error):
    pass


class NotAnArchive(Error):
    pass


class PasswordNeeded(Error):
    pass


class WrongPassword(Error):
    pass


class DamagedArchive(Error):
    pass


class UnsafeName(Error):
    pass


class OutOfMemory(Error):
    pass


class NoSuchEntry(Error, KeyError):
    pass


class WriteError(Error):
    pass


# QX1_ codes and the exceptions they raise.
_ERRORS = {
    -1: CannotOpen, -2: NotAnArchive, -3: PasswordNeeded, -4: WrongPassword, -5: DamagedArchive,
    -6: UnsafeName, -7: OutOfMemory, -8: NoSuchEntry, -11: WriteError, -12: WriteError, -13: WriteError,
    -15: DamagedArchive,
}
_ENTRY_ESCAPED = 1
_ENTRY_UNSAFE = 2
_REPLACE = 1
_SKIP_IDENTICAL = 2
_STATES = {0: "ok", -5: "damaged", -15: "lost", 3: "unknown"}
_OVERWRITE = {"never": 0, "always": _REPLACE, "identical": _REPLACE | _SKIP_IDENTICAL}


class _Entry(ctypes.Structure):
    _fields_ = [
        ("name", ctypes.c_char_p),
        ("stored_name", ctypes.POINTER(ctypes.c_ubyte)),
        ("stored_name_size", ctypes.c_size_t),
        ("size", ctypes.c_uint64),
        ("mtime", ctypes.c_int64),
        ("block", ctypes.c_uint32),
        ("flags", ctypes.c_uint),
    ]


_READ_AT = ctypes.CFUNCTYPE(ctypes.c_int64, ctypes.c_void_p, ctypes.c_uint64, ctypes.c_void_p, ctypes.c_size_t)


class _Source(ctypes.Structure):
    _fields_ = [("read_at", _READ_AT), ("user", ctypes.c_void_p), ("total", ctypes.c_uint64)]


def _load():
    # The library that a wheel carries beside the module comes first, then
    # the one QX1_LIBRARY names, then the system's.
    bundled = os.path.join(os.path.dirname(os.path.abspath(__file__)), "libqx1.so.1")
    candidates = [bundled if os.path.exists(bundled) else None, os.environ.get("QX1_LIBRARY"), "libqx1.so.1",
                  ctypes.util.find_library("qx1")]
    failures = []
    for candidate in filter(None, candidates):
        try:
            library = ctypes.CDLL(candidate)
            break
        except OSError as failure:
            failures.append(str(failure))
    else:
        raise ImportError("libqx1 cannot be loaded: " + "; ".join(failures or ["not found"]))
    library.path = candidate
    handle_out = ctypes.POINTER(ctypes.c_void_p)
    library.qx1_open_file.argtypes = [ctypes.c_char_p, ctypes.c_char_p, handle_out]
    library.qx1_open_memory.argtypes = [ctypes.c_void_p, ctypes.c_size_t, ctypes.c_char_p, handle_out]
    library.qx1_open_source.argtypes = [ctypes.POINTER(_Source), ctypes.c_char_p, handle_out]
    library.qx1_entry_count.argtypes = [ctypes.c_void_p]
    library.qx1_entry_count.restype = ctypes.c_size_t
    library.qx1_list.argtypes = [ctypes.c_void_p]
    library.qx1_entry_at.argtypes = [ctypes.c_void_p, ctypes.c_size_t]
    library.qx1_entry_at.restype = ctypes.POINTER(_Entry)
    library.qx1_entry_problem.argtypes = [ctypes.c_void_p, ctypes.c_size_t]
    library.qx1_entry_problem.restype = ctypes.c_char_p
    library.qx1_entry_data.argtypes = [ctypes.c_void_p, ctypes.c_size_t, ctypes.POINTER(ctypes.c_void_p),
                                       ctypes.POINTER(ctypes.c_size_t)]
    library.qx1_entry_state.argtypes = [ctypes.c_void_p, ctypes.c_size_t]
    library.qx1_test.argtypes = [ctypes.c_void_p]
    library.qx1_extract_entry.argtypes = [ctypes.c_void_p, ctypes.c_size_t, ctypes.c_char_p, ctypes.c_char_p,
                                          ctypes.c_uint]
    library.qx1_strerror.argtypes = [ctypes.c_int]
    library.qx1_strerror.restype = ctypes.c_char_p
    library.qx1_version.restype = ctypes.c_char_p
    library.qx1_close.argtypes = [ctypes.c_void_p]
    return library


_lib = _load()
__version__ = _lib.qx1_version().decode()
library_path: str = _lib.path  # the libqx1 in use


def _check(code: int, subject: Optional[str] = None) -> int:
    if code < 0:
        message = _lib.qx1_strerror(code).decode()
        raise _ERRORS.get(code, Error)(code, message, subject)
    return code


def _path_argument(path, what: str) -> bytes:
    """path as the library takes it (bytes), refusing what it would cut short."""
    try:
        encoded = os.fsencode(path)
    except TypeError:
        raise TypeError(f"{what} must be a str, bytes or os.PathLike, not {type(path).__name__}") from None
    if b"\0" in encoded:
        raise ValueError(f"{what} has an embedded null character")
    return encoded


def _password_argument(password) -> Optional[bytes]:
    if password is None:
        return None
    if isinstance(password, str):
        password = password.encode("utf-8")
    elif not isinstance(password, (bytes, bytearray)):
        raise TypeError(f"password must be a str or UTF-8 bytes, not {type(password).__name__}")
    if b"\0" in password:
        raise ValueError("password has an embedded null character")
    return bytes(password)


class Entry:
    """One stored file: name (str, '/' between folders), stored_name (bytes as
    stored), size, mtime (aware datetime in UTC), block, escaped, unsafe, and
    problem (why the name is unsafe, or None)."""

    __slots__ = ("index", "name", "stored_name", "size", "mtime", "block", "escaped", "unsafe", "problem", "_owner")

    def __init__(self, owner: object, index: int, raw: _Entry, problem: Optional[bytes]):
        self._owner = owner
        self.index = index
        self.name: str = raw.name.decode("utf-8", "replace")
        self.stored_name: bytes = ctypes.string_at(raw.stored_name, raw.stored_name_size)
        self.size: int = raw.size
        self.mtime = datetime.datetime.fromtimestamp(raw.mtime, datetime.timezone.utc)
        self.block: int = raw.block
        self.escaped = bool(raw.flags & _ENTRY_ESCAPED)
        self.unsafe = bool(raw.flags & _ENTRY_UNSAFE)
        self.problem: Optional[str] = problem.decode() if problem else None

    def __repr__(self) -> str:
        return f"<qx1.Entry {self.name!r} {self.size} bytes>"


class TestResult(NamedTuple):
    """An entry and what decoding it came to: "ok", "damaged" (its block
    failed) or "lost" (it lies behind the damage and cannot be reached)."""

    entry: Entry
    status: str


class _EntryStream(io.RawIOBase):
    """An entry's bytes, read in pieces straight from the library's decoded
    block: no copy of the whole entry is made."""

    def __init__(self, archive: "Archive", entry: Entry):
        super().__init__()
        self._archive = archive
        self._entry = entry
        self._position = 0

    def readable(self) -> bool:
        return True

    def seekable(self) -> bool:
        return True

    def tell(self) -> int:
        return self._position

    def seek(self, offset: int, whence: int = io.SEEK_SET) -> int:
        base = {io.SEEK_SET: 0, io.SEEK_CUR: self._position, io.SEEK_END: self._entry.size}[whence]
        if base + offset < 0:
            raise ValueError("negative position")
        self._position = base + offset
        return self._position

    def readinto(self, buffer) -> int:
        if self.closed:
            raise ValueError("the entry's stream is closed")
        view = memoryview(buffer).cast("B")
        count = min(len(view), max(self._entry.size - self._position, 0))
        if count == 0:
            return 0
        with self._archive._lock:
            data, size = self._archive._entry_data(self._entry)
            ctypes.memmove((ctypes.c_char * count).from_buffer(view), data.value + self._position, count)
        self._position += count
        return count


class Archive:
    """An open archive; use it as a context manager or call close(). One
    archive may be used from several threads: its calls take turns."""

    def __init__(self, file: Union[PathLike, bytes, bytearray, memoryview, BinaryIO], password=None):
        self._handle = None
        self._lock = threading.RLock()
        self._token = object()  # marks this archive's entries, without a cycle back to it
        self._keep = None       # what the library reads from: bytes, or the file object's reader
        self._failure: Optional[BaseException] = None
        secret = _password_argument(password)
        handle = ctypes.c_void_p()
        if isinstance(file, (bytes, bytearray, memoryview)):
            data = bytes(file)
            self._keep = data
            self.path = None
            code = _lib.qx1_open_memory(ctypes.cast(ctypes.c_char_p(data), ctypes.c_void_p), len(data), secret,
                                        ctypes.byref(handle))
        elif hasattr(file, "read") and hasattr(file, "seek"):
            self.path = getattr(file, "name", None)
            code = self._open_file_object(file, secret, handle)
        else:
            encoded = _path_argument(file, "file")
            self.path = os.fsdecode(encoded)
            code = _lib.qx1_open_file(encoded, secret, ctypes.byref(handle))
        self._raise_failure()
        _check(code, self.path)
        self._handle = handle
        try:
            _check(_lib.qx1_list(handle), self.path)
            count = _lib.qx1_entry_count(handle)
            self.entries: List[Entry] = [
                Entry(self._token, i, _lib.qx1_entry_at(handle, i).contents, _lib.qx1_entry_problem(handle, i))
                for i in range(count)]
        except BaseException:
            self.close()
            raise
        self._by_name = {}
        for entry in self.entries:
            self._by_name.setdefault(entry.name, entry)

    def _open_file_object(self, file: BinaryIO, secret: Optional[bytes], handle: ctypes.c_void_p) -> int:
        file.seek(0, io.SEEK_END)
        total = file.tell()

        def read_at(_user, offset, buffer, size):
            # An exception stops the read; it is raised again after the call.
            try:
                file.seek(offset)
                view = (ctypes.c_char * size).from_address(buffer)
                got = file.readinto(view) if hasattr(file, "readinto") else None
                if got is None:
                    data = file.read(size)
                    ctypes.memmove(buffer, data, len(data))
                    got = len(data)
                return got
            except BaseException as failure:  # noqa: BLE001 - kept and raised again
                self._failure = failure
                return -1

        reader = _READ_AT(read_at)
        source = _Source(reader, None, total)
        self._keep = (reader, source, file)
        return _lib.qx1_open_source(ctypes.byref(source), secret, ctypes.byref(handle))

    def _raise_failure(self) -> None:
        failure, self._failure = self._failure, None
        if failure is not None:
            raise failure

    def __enter__(self) -> "Archive":
        return self

    def __exit__(self, *exception) -> None:
        self.close()

    def __del__(self):
        self.close()

    def close(self) -> None:
        lock = getattr(self, "_lock", None)
        if lock is None:
            return
        with lock:
            if self._handle:
                _lib.qx1_close(self._handle)
                self._handle = None

    def _opened(self):
        if not self._handle:
            raise ValueError("the archive is closed")
        return self._handle

    def _entry(self, entry_or_name: Union[Entry, str]) -> Entry:
        if isinstance(entry_or_name, Entry):
            if entry_or_name._owner is not self._token:
                raise ValueError(f"the entry {entry_or_name.name!r} belongs to another archive")
            return entry_or_name
        if not isinstance(entry_or_name, str):
            raise TypeError(f"an entry is an Entry or a name (str), not {type(entry_or_name).__name__}")
        entry = self._by_name.get(entry_or_name)
        if entry is None:
            raise NoSuchEntry(-8, "no such entry", entry_or_name)
        return entry

    def _entry_data(self, entry: Entry):
        """The entry's decoded bytes in the library's block (valid until the
        next call), under the lock."""
        data = ctypes.c_void_p()
        size = ctypes.c_size_t()
        code = _lib.qx1_entry_data(self._opened(), entry.index, ctypes.byref(data), ctypes.byref(size))
        self._raise_failure()
        _check(code, entry.name)
        return data, size.value

    def names(self) -> List[str]:
        """The entries' names, in the archive's order."""
        return [entry.name for entry in self.entries]

    def getentry(self, name: str) -> Entry:
        """The entry of that name; NoSuchEntry (a KeyError) when there is none."""
        return self._entry(name)

    def open(self, member: Union[Entry, str]) -> io.BufferedReader:
        """A readable binary file object over an entry, for reading it in
        pieces (hashing or copying a large entry)."""
        return io.BufferedReader(_EntryStream(self, self._entry(member)), buffer_size=1 << 16)

    def read(self, member: Union[Entry, str]) -> bytes:
        """The bytes of an entry (an Entry of this archive, or its name). They
        are copied once, from the library's decoded block."""
        entry = self._entry(member)
        with self._lock:
            data, size = self._entry_data(entry)
            return ctypes.string_at(data, size) if size else b""

    def test(self) -> List[TestResult]:
        """Decodes everything and says for each entry "ok", "damaged" or
        "lost". "ok" means decoded without error: the format carries no
        checksum, so only a manifest of SHA-256 values proves the bytes."""
        with self._lock:
            code = _lib.qx1_test(self._opened())
            self._raise_failure()
            if code < 0 and code not in (-5,):
                _check(code, self.path)
            return [TestResult(entry, _STATES.get(_lib.qx1_entry_state(self._handle, entry.index), "unknown"))
                    for entry in self.entries]

    def extract(self, member: Union[Entry, str], path: Optional[PathLike] = None, overwrite: str = "never") -> Optional[str]:
        """Writes one entry below the folder path (default: the current one)
        under the safety rules of qx extract; returns the file's path, or None
        when an existing file was kept."""
        written = self.extractall(path, [member], overwrite)
        return written[0] if written else None

    def extractall(self, path: Optional[PathLike] = None, members=None, overwrite: str = "never") -> List:
        """Writes the entries (all, or the given Entry objects or names) below
        the folder path with their times, as qx extract does: every argument
        is checked and an unsafe name refuses the whole call before anything
        is written, no symbolic link below the folder is followed, and each
        file is renamed into place only when complete. overwrite: "never"
        keeps existing files, "always" replaces them, "identical" replaces
        them unless their bytes and time already match. Returns the paths
        written, in the type of path (str or bytes)."""
        dest = os.curdir if path is None else path
        folder = _path_argument(dest, "path")
        if overwrite not in _OVERWRITE:
            raise ValueError('overwrite is "never", "always" or "identical"')
        if isinstance(members, (str, bytes, Entry)):
            raise TypeError("members is a list of entries or names, not one")
        chosen = self.entries if members is None else [self._entry(member) for member in members]
        for entry in chosen:
            if entry.unsafe:
                raise UnsafeName(-6, entry.problem or "the name cannot be used as a file name", entry.name)
        written = []
        for entry in chosen:
            with self._lock:
                code = _lib.qx1_extract_entry(self._opened(), entry.index, folder, None, _OVERWRITE[overwrite])
                self._raise_failure()
                result = _check(code, entry.name)
            if result == 0:
                parts = entry.name.split("/")
                if isinstance(dest, bytes):
                    written.append(os.path.join(folder, *map(os.fsencode, parts)))
                else:
                    written.append(os.path.join(os.fsdecode(folder), *parts))
        return written


def open(file, password=None) -> Archive:  # noqa: A001 - the module's entry, like tarfile.open
    """Opens a .qx1 archive (or a self-extracting program that carries one):
    a path, the archive's bytes, or a binary file object that can seek."""
    return Archive(file, password)


def is_qx1(file) -> bool:
    """True when file (a path or a binary file object) holds a .qx1 archive,
    also a protected or damaged one."""
    try:
        with Archive(file):
            return True
    except (PasswordNeeded, WrongPassword, DamagedArchive, OutOfMemory):
        return True
    except (Error, OSError):
        return False
