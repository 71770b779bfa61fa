# SPDX-License-Identifier: MIT
"""Every option a program accepts is in its --help, its man page and its bash
completion, and nothing more: the sets are compared command by command.

The accepted options are read from the programs' option tables in the
sources; the documents from the built programs, the rendered man pages and
the completion functions.  Run with QX and QXENC naming the programs."""
import os
import re
import subprocess
import unittest

SOURCE = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..")
# Paths are made absolute: the completion test runs in a folder of its own.
QX, QXENC, QXDEC = (os.path.abspath(p) if os.sep in p else p
                    for p in (os.environ.get(name, name.lower()) for name in ("QX", "QXENC", "QXDEC")))
OPTION = re.compile(r"(?<![\w-])(--?[a-z0-9][a-z0-9-]*)")
COMMANDS = {"list": "QxList", "extract": "QxExtract", "test": "QxTest", "verify": "QxVerify", "cat": "QxCat",
            "convert": "QxConvert"}


def source(path):
    with open(os.path.join(SOURCE, path), encoding="utf-8") as f:
        return f.read()


def run(*command):
    return subprocess.run(command, capture_output=True, text=True, check=False).stdout


def man_text(page):
    text = subprocess.run(["man", "-l", os.path.join(SOURCE, "man", page)], capture_output=True, text=True,
                          env=dict(os.environ, MANWIDTH="400", MAN_KEEP_FORMATTING=""), check=True).stdout
    return text.replace("\u2010", "-").replace("\u2212", "-")


def man_section(text, heading):
    match = re.search(r"^%s\n(.*?)(?=^\S)" % heading, text, re.M | re.S)
    return match.group(1) if match else ""


def help_options(text):
    """The options of a --help text: its usage line, and the left column of
    the lines that describe options."""
    lines = text.splitlines()
    found = set(OPTION.findall(lines[0]))
    for line in lines[1:]:
        if re.match(r"\s+-", line):
            found |= set(OPTION.findall(re.split(r"(?<=\S)\s{2,}", line.strip(), maxsplit=1)[0] + " "))
    return found


def completion_options(command, function):
    script = 'source "%s/packaging/completion/%s"; %s' % (SOURCE, command, function)
    return set(OPTION.findall(run("bash", "-c", script)))


class QxOptions(unittest.TestCase):
    def code_options(self, command):
        """The long name of each option the command's table holds, and a map
        from every spelling (-o, --output) to it."""
        text = source("src/qx/%s.cpp" % COMMANDS[command])
        table = re.search(r"ParseArguments\(\s*args,\s*\{(.*?)\}\);", text, re.S).group(1)
        table = table.replace("QX_PASSWORD_OPTIONS", '{"password", \'p\', true}, {"password-file", 0, true}')
        spelling = {}
        for name, short in re.findall(r'\{"([a-z0-9-]+)",\s*(?:\'(.)\'|0)', table):
            spelling["--" + name] = name
            if short:
                spelling["-" + short] = name
        return set(spelling.values()) - {"help"}, spelling

    def long_names(self, options, spelling, where):
        unknown = {option for option in options if option not in spelling}
        self.assertFalse(unknown, "%s names options the program does not take" % where)
        return {spelling[option] for option in options} - {"help"}

    def test_each_command_documents_exactly_what_it_takes(self):
        synopsis = man_section(man_text("qx.1"), "SYNOPSIS")
        for command in COMMANDS:
            with self.subTest(command=command):
                taken, spelling = self.code_options(command)
                helped = self.long_names(help_options(run(QX, command, "--help")), spelling, "--help")
                line = re.search(r"^\s*qx %s (.*)$" % command, synopsis, re.M).group(1)
                manned = self.long_names(set(OPTION.findall(line)), spelling, "the man page")
                completed = self.long_names(
                    {o.rstrip("=") for o in completion_options("qx", "_qx_options " + command)}, spelling,
                    "the completion")
                self.assertEqual(helped, taken, "qx %s --help" % command)
                self.assertEqual(manned, taken, "the SYNOPSIS of qx(1)")
                self.assertEqual(completed, taken, "bash completion")

    def test_the_commands_are_the_same_everywhere(self):
        usage = run(QX, "--help")
        listed = set(re.findall(r"^  ([a-z]+) ", usage, re.M))
        # "qx command --help" names no command.
        manned = set(re.findall(r"^\s*qx ([a-z]+) ", man_section(man_text("qx.1"), "SYNOPSIS"), re.M)) - {"command"}
        completed = set(run("bash", "-c", 'source "%s/packaging/completion/qx"; COMP_WORDS=(qx ""); COMP_CWORD=1; '
                                          '_qx; echo "${COMPREPLY[@]}"' % SOURCE).split())
        self.assertEqual(listed, set(COMMANDS) | {"create"})
        self.assertEqual(manned, listed)
        self.assertEqual(completed - {"--help", "--version"}, listed)


class QxencOptions(unittest.TestCase):
    @staticmethod
    def normal(options):
        # The levels -1 ... -9 count as one option.
        return {re.sub(r"^-[0-9]$", "-N", option.rstrip("=")) for option in options}

    def test_help_man_page_and_completion_name_what_qxenc_takes(self):
        taken = set(re.findall(r'"(--?[a-z0-9][a-z0-9-]*)[="]', source("src/create/EncoderOptions.cpp")))
        taken = self.normal(taken) | {"-N"}
        helped = self.normal(help_options(run(QXENC, "--help")))
        manned = self.normal(OPTION.findall(man_section(man_text("qxenc.1"), "OPTIONS")))
        completed = self.normal(completion_options("qxenc", 'COMP_WORDS=(qxenc -); COMP_CWORD=1; _qxenc; '
                                                             'echo "${COMPREPLY[@]}"'))
        self.assertEqual(helped, taken)
        self.assertEqual(manned, taken)
        self.assertEqual(completed, taken)


class QxdecOptions(unittest.TestCase):
    def test_the_man_page_names_the_options_of_the_usage_text(self):
        usage = next(line for line in run(QXDEC).splitlines() if "usage :" in line)
        # -dOutDirName and -pPassWord are -d and -p with their values joined.
        taken = {option[:2] for option in OPTION.findall(usage)}
        manned = {option[:2] for option in OPTION.findall(man_section(man_text("qxdec.1"), "OPTIONS"))}
        self.assertEqual(taken, {"-d", "-p", "-y", "-t"})
        self.assertEqual(manned, taken)


class Completion(unittest.TestCase):
    """What the qx completion offers for a command line whose last word is
    being completed (bash splits "--overwrite=n" into three words)."""

    def complete(self, folder, *words):
        script = ('source "%s/packaging/completion/qx"; COMP_WORDS=("$@"); COMP_CWORD=$(($# - 1)); _qx; '
                  'printf "%%s\\n" "${COMPREPLY[@]}"' % SOURCE)
        out = subprocess.run(["bash", "-c", script, "qx", QX] + list(words), cwd=folder, capture_output=True,
                             text=True, check=True).stdout
        return [line for line in out.split("\n") if line]

    def test_values_commands_options_and_entry_names(self):
        import tempfile
        with tempfile.TemporaryDirectory() as folder:
            names = ["a b.txt", "$(touch pwned).txt", "docs/notes.txt"]
            os.mkdir(os.path.join(folder, "docs"))
            for name in names:
                with open(os.path.join(folder, name), "w") as f:
                    f.write(name)
            subprocess.run([QXENC, "-q", "--keep-order", "a.qx1"] + names, cwd=folder, check=True)
            cases = [
                (["te"], ["test"]),
                (["x", "a.qx1", "--overwrite", "=", ""], ["ask", "never", "always"]),
                (["x", "a.qx1", "--overwrite", "=", "n"], ["never"]),
                (["x", "a.qx1", "--overwrite=al"], ["--overwrite=always"]),
                (["convert", "a.qx1", "o", "--format", "=", "tar."], ["tar.gz", "tar.xz", "tar.zst"]),
                (["list", "--j"], ["--json"]),
                (["cat", "a.qx1", ""], names),
                (["x", "-o", "out", "a.qx1", "--exclude", "=", "x", "d"], ["docs/notes.txt"]),
                (["x", "a."], ["a.qx1"]),
            ]
            for words, offered in cases:
                with self.subTest(words=words):
                    self.assertEqual(self.complete(folder, *words), offered)
            self.assertFalse(os.path.exists(os.path.join(folder, "pwned")), "a name was run as a command")


if __name__ == "__main__":
    unittest.main()
