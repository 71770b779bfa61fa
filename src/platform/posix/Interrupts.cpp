// SPDX-License-Identifier: MIT
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <climits>
#include <cstring>

#include "platform/Interrupts.h"
#include "platform/posix/TemporaryFiles.h"

namespace platform {
namespace {

// What the signal handler may read: set before active, cleared first.
volatile sig_atomic_t enabled = 0;
volatile sig_atomic_t active = 0;
int folderDescriptor = AT_FDCWD;
char temporaryName[PATH_MAX + 1];
volatile sig_atomic_t terminalRaw = 0;
termios savedTerminal;

void RemoveAndEnd(int signal) {
    if (active) unlinkat(folderDescriptor, temporaryName, 0);
    if (terminalRaw) tcsetattr(STDIN_FILENO, TCSANOW, &savedTerminal);
    ::signal(signal, SIG_DFL);
    raise(signal);
}

}  // namespace

void CleanUpOnInterrupt() {
    struct sigaction action {};
    action.sa_handler = RemoveAndEnd;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGHUP, &action, nullptr);
    signal(SIGXFSZ, SIG_IGN);
    enabled = 1;
}

namespace TemporaryFiles {

void Add(int folder, const std::string& name) {
    active = 0;
    if (!enabled || name.size() > PATH_MAX) return;
    std::memcpy(temporaryName, name.c_str(), name.size() + 1);
    folderDescriptor = folder;
    active = 1;
}

void Remove() { active = 0; }

}  // namespace TemporaryFiles

namespace TerminalState {

void Remember(const termios& saved) {
    terminalRaw = 0;
    savedTerminal = saved;
    terminalRaw = 1;
}

void Restore() {
    if (!terminalRaw) return;
    tcsetattr(STDIN_FILENO, TCSANOW, &savedTerminal);
    terminalRaw = 0;
}

}  // namespace TerminalState
}  // namespace platform
