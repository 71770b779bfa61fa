// SPDX-License-Identifier: MIT
#pragma once

#include "platform/ConsoleIo.h"

namespace platform {

// The process's own console: standard output and input, keys without echo.
class HostConsole : public ConsoleIo {
public:
    void Write(std::string_view text) override;
    void WriteError(std::string_view text) override;
    void Flush() override;
    int ReadKey() override;
    void DiscardLine() override;
    bool ReadLine(std::string& line, size_t limit) override;
    void EndKeys() override;
    ~HostConsole() override { EndKeys(); }

private:
    std::string pendingKeys_;  // CP932 bytes of a key already read
    bool raw_ = false;         // the terminal is in raw mode for a run of keys
};

}  // namespace platform
