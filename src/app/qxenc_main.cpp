#include <string>
#include <vector>

#include "app/EncoderMain.h"
#include "platform/HostConsole.h"
#include "platform/Process.h"

int main(int argc, char** argv) {
    platform::HostConsole console;
    std::vector<std::string> args;
    std::string refused;
    if (!platform::CommandLineArguments(argc, argv, args, refused)) {
        console.Write("qxenc: the argument " + refused + " has no Shift-JIS form\n");
        return 1;
    }
    const int status = RunEncoder(args, console);
    console.Flush();
    return status;
}
