#pragma once

#include <string>

// The per-user folder that holds the instance channel's socket and lock: $XDG_RUNTIME_DIR when
// it names an existing folder by an absolute path, else "<tmpRoot>/tarnwick-<uid>", made with
// mode 0700 when missing. A folder there that is not a real folder of this user, or that others
// may enter, is refused: whoever controls it could stand in for the running instance. Empty, with
// `error` set, when no usable folder exists.
std::string InstanceFolder(std::string& error);
std::string InstanceFolder(const char* runtimeDir, const std::string& tmpRoot, std::string& error);
