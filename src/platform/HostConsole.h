#pragma once

#include "dialog/ConsoleIo.h"

namespace platform {

// The process's own console: standard output and input, keys without echo.
class HostConsole : public ConsoleIo {
public:
    void Write(std::string_view text) override;
    void Flush() override;
    int ReadKey() override;
    void DiscardLine() override;
    bool ReadLine(std::string& line, size_t limit) override;

private:
    std::string pendingKeys_;  // CP932 bytes of a key already read
};

}  // namespace platform
