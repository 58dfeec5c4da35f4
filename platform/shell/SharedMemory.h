#pragma once

#include "platform/shell/SharedBlockCodec.h"

#include <string>
#include <string_view>
#include <sys/types.h>

// The program's shared block "velmormemfilemap", through which other programs of the same user
// hand it a page to insert or a binder to open. The block is created (or opened) once per
// process at start-up; the running instance unlinks it when it closes. Every call here runs on
// the main thread. Without a block, the readers give empty results and the writer does nothing.

inline constexpr char SharedMemoryName[] = "velmormemfilemap";

// The block of one user: the names of the system's shared memory are seen by every user, and a
// block one user made (or left behind) is closed to the others, so each user has one of their
// own, as each has their own instance channel.
std::string SharedMemoryNameFor(uid_t user);
// The block's name: that of the effective user, unless TARNWICK_SHARED_BLOCK names another, so
// that separate instances (the test suites among them) can run side by side without meeting.
std::string SharedMemoryBlockName();

// The view of the block, or null when it cannot be created or opened (the reason goes to
// stderr; the program runs on without this entry point).
char* CreateSharedMemory();
// Clears the whole block, then writes the path and its terminator. A path that does not fit
// (1,048,575 bytes or more) or holds a NUL is refused, the block left unchanged, and false
// returned.
bool WriteSharedMemory(std::string_view path);
// The insert item in the block, every read bounded by the block's end.
void ReadSharedMemoryItem(InsertInfo& item);
// The binder path at the start of the block.
std::string ReadSharedMemoryString();
// Unmaps the block and removes its name.
void CloseSharedMemory();
