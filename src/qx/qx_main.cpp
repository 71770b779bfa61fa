// SPDX-License-Identifier: MIT
#include <exception>

#include "qx/QxMain.h"
#include "platform/Interrupts.h"
#include "platform/Terminal.h"

int main(int argc, char** argv) {
    platform::CleanUpOnInterrupt();
    try {
        return RunQx(platform::Utf8Arguments(argc, argv));
    } catch (const std::bad_alloc&) {
        platform::WriteTextError("qx: not enough memory\n");
    } catch (const std::exception& failure) {
        platform::WriteTextError(std::string("qx: ") + failure.what() + "\n");
    }
    return 2;
}
