#pragma once

#include <chrono>
#include <string>

// The socket and lock of the instance channel inside the per-user folder.
std::string InstanceSocketPath(const std::string& folder);
std::string InstanceLockPath(const std::string& folder);

// One attempt to hand `frames` (ChannelFrame encoding) to the instance listening on `socketPath`;
// true once every byte is in the socket, which delivers it even after we exit.
bool TrySendFrames(const std::string& socketPath, const std::string& frames,
                   std::chrono::milliseconds timeout, std::string& error);

// For other programs: sends `frames` to the running instance of this user. While an instance
// holds the lock but does not listen yet (it is just starting) it tries again until `patience`
// runs out; with nobody holding the lock it fails at once.
bool SendToRunningInstance(const std::string& frames, std::chrono::milliseconds patience,
                           std::string& error);
