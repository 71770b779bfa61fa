"""Read .qx1 (Quexel) archives through libqx1.

    import qx1
    with qx1.open("old.qx1", password=None) as archive:
        for entry in archive.entries:
            print(entry.name, entry.size, entry.mtime)
        data = archive.read("readme.txt")
        archive.extract("out")

The library is found as libqx1.so.1, or where the environment variable
QX1_LIBRARY points.
"""

import ctypes
import ctypes.util
import datetime
import os
import threading

__all__ = [
    "open", "Archive", "Entry", "Error", "CannotOpen", "NotAnArchive", "PasswordNeeded",
    "WrongPassword", "DamagedArchive", "UnsafeName", "OutOfMemory", "NoSuchEntry",
    "WriteError",
]


class Error(Exception):
    """A failure of the library: code is its QX1_ code, message its English text."""

    def __init__(self, code, message, subject=None):
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
}
_ENTRY_ESCAPED = 1
_ENTRY_UNSAFE = 2
_REPLACE = 1


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



def _load():
    candidates = [os.environ.get("QX1_LIBRARY"), "libqx1.so.1", ctypes.util.find_library("qx1")]
    failures = []
    for candidate in filter(None, candidates):
        try:
            library = ctypes.CDLL(candidate)
            break
        except OSError as failure:
            failures.append(str(failure))
    else:
        raise ImportError("libqx1 cannot be loaded: " + "; ".join(failures or ["not found"]))
    library.qx1_open_file.argtypes = [ctypes.c_char_p, ctypes.c_char_p, ctypes.POINTER(ctypes.c_void_p)]
    library.qx1_entry_count.argtypes = [ctypes.c_void_p]
    library.qx1_entry_count.restype = ctypes.c_size_t
    library.qx1_list.argtypes = [ctypes.c_void_p]
    library.qx1_entry_at.argtypes = [ctypes.c_void_p, ctypes.c_size_t]
    library.qx1_entry_at.restype = ctypes.POINTER(_Entry)
    library.qx1_entry_problem.argtypes = [ctypes.c_void_p, ctypes.c_size_t]
    library.qx1_entry_problem.restype = ctypes.c_char_p
    library.qx1_entry_data.argtypes = [ctypes.c_void_p, ctypes.c_size_t, ctypes.POINTER(ctypes.c_void_p),
                                       ctypes.POINTER(ctypes.c_size_t)]
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


def _check(code, subject=None):
    if code < 0:
        message = _lib.qx1_strerror(code).decode()
        raise _ERRORS.get(code, Error)(code, message, subject)
    return code


def _path_argument(path, what):
    """path as the library takes it (bytes), refusing what it would cut short."""
    try:
        encoded = os.fsencode(path)
    except TypeError:
        raise TypeError(f"{what} must be a str, bytes or os.PathLike, not {type(path).__name__}") from None
    if b"\0" in encoded:
        raise ValueError(f"{what} has an embedded null character")
    return encoded


def _password_argument(password):
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

    def __init__(self, owner, index, raw, problem):
        self._owner = owner
        self.index = index
        self.name = raw.name.decode("utf-8", "replace")
        self.stored_name = ctypes.string_at(raw.stored_name, raw.stored_name_size)
        self.size = raw.size
        self.mtime = datetime.datetime.fromtimestamp(raw.mtime, datetime.timezone.utc)
        self.block = raw.block
        self.escaped = bool(raw.flags & _ENTRY_ESCAPED)
        self.unsafe = bool(raw.flags & _ENTRY_UNSAFE)
        self.problem = problem.decode() if problem else None

    def __repr__(self):
        return f"<qx1.Entry {self.name!r} {self.size} bytes>"


class Archive:
    """An open archive; use it as a context manager or call close(). One
    archive may be used from several threads: its calls take turns."""

    def __init__(self, path, password=None):
        self._handle = None
        self._lock = threading.RLock()
        self._token = object()  # marks this archive's entries, without a cycle back to it
        encoded = _path_argument(path, "path")
        secret = _password_argument(password)
        handle = ctypes.c_void_p()
        self.path = os.fsdecode(encoded)
        _check(_lib.qx1_open_file(encoded, secret, ctypes.byref(handle)), self.path)
        self._handle = handle
        try:
            _check(_lib.qx1_list(handle), self.path)
            count = _lib.qx1_entry_count(handle)
            self.entries = [Entry(self._token, i, _lib.qx1_entry_at(handle, i).contents, _lib.qx1_entry_problem(handle, i))
                            for i in range(count)]
        except BaseException:
            self.close()
            raise

    def __enter__(self):
        return self

    def __exit__(self, *exception):
        self.close()

    def __del__(self):
        self.close()

    def close(self):
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

    def _entry(self, entry_or_name):
        if isinstance(entry_or_name, Entry):
            if entry_or_name._owner is not self._token:
                raise ValueError(f"the entry {entry_or_name.name!r} belongs to another archive")
            return entry_or_name
        if not isinstance(entry_or_name, str):
            raise TypeError(f"an entry is an Entry or a name (str), not {type(entry_or_name).__name__}")
        for entry in self.entries:
            if entry.name == entry_or_name:
                return entry
        raise NoSuchEntry(-8, "no such entry", entry_or_name)

    def read(self, entry_or_name):
        """The bytes of an entry (an Entry or its name). They are copied once,
        from the library's decoded block."""
        entry = self._entry(entry_or_name)
        data = ctypes.c_void_p()
        size = ctypes.c_size_t()
        with self._lock:
            _check(_lib.qx1_entry_data(self._opened(), entry.index, ctypes.byref(data), ctypes.byref(size)),
                   entry.name)
            return ctypes.string_at(data, size.value) if size.value else b""

    def test(self):
        """Decodes everything; raises DamagedArchive (or another Error) on failure."""
        with self._lock:
            _check(_lib.qx1_test(self._opened()), self.path)

    def extract(self, dest, members=None, overwrite=True):
        """Writes the entries (all, or the given Entry objects or names) below
        dest with their times, as qx extract does: every argument is checked
        and an unsafe name refuses the whole call before anything is written,
        no symbolic link below dest is followed, and each file is renamed into
        place only when complete. An existing file is replaced only with
        overwrite. Returns the paths written, in dest's type (str or bytes)."""
        folder = _path_argument(dest, "dest")
        if isinstance(members, (str, bytes, Entry)):
            raise TypeError("members is a list of entries or names, not one")
        chosen = self.entries if members is None else [self._entry(member) for member in members]
        for entry in chosen:
            if entry.unsafe:
                raise UnsafeName(-6, entry.problem or "the name cannot be used as a file name", entry.name)
        written = []
        flags = _REPLACE if overwrite else 0
        for entry in chosen:
            with self._lock:
                result = _check(_lib.qx1_extract_entry(self._opened(), entry.index, folder, None, flags), entry.name)
            if result == 0:
                parts = entry.name.split("/")
                if isinstance(dest, bytes):
                    written.append(os.path.join(folder, *map(os.fsencode, parts)))
                else:
                    written.append(os.path.join(os.fsdecode(folder), *parts))
        return written


def open(path, password=None):  # noqa: A001 - the module's entry, like tarfile.open
    """Opens a .qx1 archive (or a self-extracting program that carries one)."""
    return Archive(path, password)
