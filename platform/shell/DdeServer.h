#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

class InstanceChannel;

// The DDE server's stand-in. Execute texts arrive over the instance channel with the service
// and topic of their conversation; only service "Tarnwick" is accepted. On topic "System" its
// one command "[Open(path)]" opens a binder. A path holding ")" cannot travel in that command,
// so on topic "OpenPath" the whole text is the path of the binder to open, taken as it is.

inline constexpr char DdeServiceName[] = "Tarnwick";
inline constexpr char DdeTopicName[] = "System";
inline constexpr char DdeOpenPathTopic[] = "OpenPath";
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

// An execute text with the topic of its conversation.
struct DdeExecute {
    std::string Topic;
    std::string Text;
};

// What asks the running instance to open `path`: "[Open(path)]" on "System" where that command
// carries the path, else the path whole on "OpenPath"; nothing when the path is empty, longer
// than DdePathBufferSize - 1 or holds a NUL, which no path does.
std::optional<DdeExecute> MakeDdeOpenCommand(const std::string& path);
