#pragma once

// The resolution of the screen documents are laid out for. The program sets it from the
// primary screen at start-up; it stays 96 elsewhere (tests, tools), so layout is the same on
// every machine.

int ScreenPixelsPerInch();
void SetScreenPixelsPerInch(int pixelsPerInch);
