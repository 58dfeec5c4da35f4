#pragma once

// A secret of the user's own, kept beside the program's settings: what the program signs with it
// (the marks of the folders it makes) is told apart from anything anyone else wrote, however it
// came onto the disk (an archive unpacked over the user's folders among them), while a copy of
// the user's own files, moved or restored elsewhere, keeps what it was.

#include <string>
#include <string_view>

// The HMAC-SHA-256 of `text` under the user's secret, in lower-case hexadecimal. The secret is
// read from "VelmorSoft/Tarnwick.key" of the user's settings folder (XDG_CONFIG_HOME, else
// ~/.config), the key file reached through a link as the folder is, and made there at its first
// use (32 random bytes, readable by the user alone) when nothing has the name. Whatever is at
// the name is never replaced: when it is no secret of this kind, or where none can be kept,
// there is no secret and the result is empty, so nothing is taken as signed.
std::string UserSecretDigest(std::string_view text);
