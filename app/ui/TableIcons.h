#pragma once

// The pictures of the table commands' tool buttons, drawn here: a small grid with the part a
// command works on marked and a sign of what it does.

#include <QIcon>
#include <QImage>

enum class TTableIcon {
    InsertTable,
    DeleteTable,
    RowBefore,
    RowAfter,
    ColBefore,
    ColAfter,
    DeleteRows,
    DeleteCols,
    Merge,
    Split
};

// The picture, and a faded grey one for a disabled button.
QIcon TableIcon(TTableIcon icon);
