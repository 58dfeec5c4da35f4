#pragma once

// The page browser's context menu: the browser's own menu without the entries that would
// leave the binder's control of the page (history and reloading, which the window's buttons
// do by the binder's rules; new windows; saving and downloading; the developer entries).

#include <QWebEnginePage>

#include <functional>

class QMenu;

bool PageMenuKeeps(QWebEnginePage::WebAction action);

// Removes from the menu the page actions not kept, then separators left at either end or
// next to each other.
void TrimPageMenu(QMenu& menu, QWebEnginePage& page);

// Adds the "Encoding" submenu, the encoding `current` checked ("Default" when it is empty);
// `choose` gets the name of the encoding picked, empty for "Default".
void AddEncodingMenu(QMenu& menu, const QString& current,
                     const std::function<void(const QString& name)>& choose);
