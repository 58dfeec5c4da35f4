#pragma once

// The program's command line: the switches "/nodde" (open the last binder, or the default
// one, at start) and "/tip" (show the tip of the day), compared in lower case, and a binder
// file to open, which takes the way of the shell's DDE request.

#include <optional>
#include <string>
#include <vector>

struct TCommandLine {
    bool CmdNODDE = false;
    bool CmdTIP = false;
    // The first argument after the program that is neither a switch nor begins with "-";
    // such arguments are options of the toolkit or of other programs, never ours.
    std::optional<std::string> FileArgument;
};

// `arguments` as the program got them, the program's own path first.
TCommandLine ParseCommandLine(const std::vector<std::string>& arguments);
