#pragma once

// What a delete tells the user when folders it should have removed stay (StoreAccess says why
// of each): one message for the whole delete, naming the first folder and counting the others.

#include <string>
#include <string_view>
#include <vector>

// `deleted` says what went ("The node is deleted"); `left` holds a text per folder that stays.
// Empty when none stays.
std::string FoldersLeftMessage(std::string_view deleted, const std::vector<std::string>& left);
