#include "platform/widgets/FormControls.h"

void NameControls(std::initializer_list<std::pair<QObject*, const char*>> controls) {
    for (const auto& [control, name] : controls) {
        control->setObjectName(name);
    }
}
