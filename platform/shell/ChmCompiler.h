#pragma once

// The compiler of compiled HTML help files: chmcmd, found on PATH.

#include "platform/base/RunningProgram.h"

#include <memory>
#include <string>

inline constexpr const char* ChmCompilerProgram = "chmcmd";

// Compiles the project file; its output lands in the project's folder, named as the project
// says. Null when the compiler is missing or cannot be started. The compiler's exit code says
// little (it ends with 0 when it finds no project), so callers check the output file.
std::unique_ptr<RunningProgram> StartChmCompiler(const std::string& projectFile);
