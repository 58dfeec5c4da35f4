#include "app/ui/CommandLine.h"

#include "platform/base/StringUtils.h"

TCommandLine ParseCommandLine(const std::vector<std::string>& arguments) {
    TCommandLine line;
    for (size_t i = 0; i < arguments.size(); ++i) {
        const std::string lower = LowerCase(arguments[i]);
        if (lower == "/nodde") {
            line.CmdNODDE = true;
        } else if (lower == "/tip") {
            line.CmdTIP = true;
        } else if (i > 0 && !line.FileArgument && !arguments[i].empty() &&
                   arguments[i].front() != '-') {
            line.FileArgument = arguments[i];
        }
    }
    return line;
}
