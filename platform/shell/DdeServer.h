#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

class InstanceChannel;

// The DDE server's stand-in. Execute texts arrive over the instance channel with the service
// and topic of their conversation; only service "Tarnwick", topic "System" is accepted, and its
// one command "[Open(path)]" opens a binder.

inline constexpr char DdeServiceName[] = "Tarnwick";
inline constexpr char DdeTopicName[] = "System";
inline constexpr char DdeOpenCommand[] = "Open(";

// Room for any path the system allows, with its terminator.
inline constexpr std::size_t DdePathBufferSize = 4096;

// Starts listening for execute texts on `channel`; an accepted "Open(" command calls `openBinder`
// with its path. Returns 1.
int DdeServerInit(InstanceChannel& channel, std::function<void(const std::string&)> openBinder);
// Stops it. Returns 1.
int DdeServerDone();

// One execute text of a conversation with `service` on `topic`, as the channel hands it over.
void DdeServerCallback(const std::string& service, const std::string& topic,
                       const std::string& text);

// Parses one execute text: "[" "Open(" path ")" "]", anything after the "]" ignored, the command
// word compared exactly. Returns 1 with `index` 0 and the path in `path` for a well-formed
// command, else 0 (`index` -1 when no command word matched). The text ends at its first NUL.
// A path longer than `size` - 1 is cut to it, and the command then fails for want of its ")".
// A text without ")" and an empty path are refused.
int ParseDdeCommand(std::string_view text, int& index, std::string& path, std::size_t size);

// The execute text that asks the running instance to open `path`, or nothing when the path is
// empty or holds a ")" or a NUL, which the command cannot carry.
std::optional<std::string> MakeDdeOpenCommand(const std::string& path);
