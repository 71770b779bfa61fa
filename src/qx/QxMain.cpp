// SPDX-License-Identifier: MIT
#include "qx/QxMain.h"

#include "create/CreateCommand.h"
#include "qx/QxCommands.h"
#include "platform/Encoding.h"
#include "platform/HostConsole.h"
#include "platform/Terminal.h"
#include "qx1.h"
#include "util/VersionNotice.h"

namespace {

constexpr const char* kUsage =
    "usage: qx COMMAND [options] ARCHIVE ...\n"
    "Lists, extracts, tests and creates .qx1 archives.\n"
    "\n"
    "commands:\n"
    "  list (l)      list the entries: size, time (UTC), name; --long, --json, --sha256\n"
    "  extract (x)   extract all entries or those matching patterns into a folder\n"
    "  test (t)      decode everything and write nothing (the format has no checksum: this proves\n"
    "                that it decodes, not that the bytes are the ones stored)\n"
    "  verify        check every entry's SHA-256 against a manifest (qx list --json --sha256)\n"
    "  cat           write the named entries' bytes to standard output\n"
    "  create (c)    make an archive (the same program as qxenc)\n"
#ifdef QX_HAVE_CONVERT
    "  convert       write the entries into a tar or zip archive\n"
#endif
    "\n"
    "Options may stand before or after the operands; -- ends them. Archives protected by a\n"
    "password take -p PASSWORD, --password-file=FILE or the variable QX_PASSWORD; without\n"
    "them the password is asked on the terminal.\n"
    "qx COMMAND --help tells more.\n"
    "\n"
    "exit status: 0 success; 1 the command line cannot be used; 2 at least one archive or\n"
    "entry failed (the others are still handled).\n";

// qx create: the encoder, with its arguments in the internal form.
int RunCreate(const std::vector<std::string>& args) {
    std::vector<std::string> internal{"qx create"};
    for (const std::string& arg : args) {
        std::string cp932;
        if (!platform::Cp932FromUtf8(arg, cp932)) {
            return UsageError("create", "the argument " + arg + " has no Shift-JIS form, which archives store");
        }
        internal.push_back(cp932);
    }
    platform::HostConsole console;
    const int status = RunCreateCommand(internal, console, "qx create");
    console.Flush();
    return status;
}

}  // namespace

int UsageError(const std::string& command, const std::string& text) {
    platform::WriteTextError("qx " + command + ": " + text + "\n(qx " + command + " --help tells how to use it)\n");
    return 1;
}

int RunQx(const std::vector<std::string>& args) {
    if (args.size() < 2) {
        platform::WriteTextError(kUsage);
        return 1;
    }
    const std::string& command = args[1];
    const std::vector<std::string> rest(args.begin() + 2, args.end());
    if (command == "--help" || command == "-h" || command == "help") {
        platform::WriteTextOut(kUsage);
        return 0;
    }
    if (command == "--version") {
        platform::WriteTextOut(std::string("qx ") + qx1_version() + "\n" + kVersionNotice);
        return 0;
    }
    if (command == "list" || command == "l") return RunList(rest);
    if (command == "extract" || command == "x") return RunExtract(rest);
    if (command == "test" || command == "t") return RunTest(rest);
    if (command == "cat") return RunCat(rest);
#ifdef QX_HAVE_CONVERT
    if (command == "convert") return RunConvert(rest);
#endif
    if (command == "verify") return RunVerify(rest);
    if (command == "create" || command == "c") return RunCreate(rest);
    platform::WriteTextError("qx: unknown command " + command + "\n" + kUsage);
    return 1;
}
