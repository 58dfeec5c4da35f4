#pragma once

// The controls of a form keep the names the form gives them, so that anything outside the form
// (a test, an accessibility tool) finds a control the way a user does: by which one it is,
// never through the form's own members.

#include <QObject>

#include <initializer_list>
#include <utility>

void NameControls(std::initializer_list<std::pair<QObject*, const char*>> controls);
