#pragma once

// Whether a lock key (VK_NUMLOCK, VK_CAPITAL, VK_SCROLL) is toggled on. Read from the X
// server's keyboard indicators; false where that is not known (other display servers, no
// display, any other key).

#include <cstdint>

bool IsKeyToggled(uint16_t virtualKey);
