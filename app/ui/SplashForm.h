#pragma once

// The splash form TForm7: one picture, centred on the screen, shown while the program starts.

#include <QLabel>

class TForm7 : public QLabel {
public:
    TForm7();
};
