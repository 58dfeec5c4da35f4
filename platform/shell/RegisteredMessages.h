#pragma once

#include <cstdint>
#include <string>

// The three messages other programs send to the running instance. They travel by name over the
// instance channel rather than as a broadcast to every top-level window.
inline constexpr char OnlyOneVelmorMessage[] = "OnlyOneVelmor"; // bring the instance to the front
inline constexpr char InsertVelmorMessage[] = "InsertVelmor";   // an insert item waits in the block
inline constexpr char TarnwickOpenMessage[] = "TarnwickOpen";   // a binder path waits in the block

struct RegisteredMessage {
    std::string Name;
    std::int64_t WParam = 0;
};
