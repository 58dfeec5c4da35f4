#include "app/ui/SideBarSlot.h"

int TSideBarSlot::TopPanel() const {
    return bar_ != nullptr ? bar_->TopPanel() : TreePanel;
}

void TSideBarSlot::OpenPanel(int index) {
    if (bar_ != nullptr) {
        bar_->OpenPanel(index);
    }
}

void TSideBarSlot::RefillPanel(int index) {
    if (bar_ != nullptr) {
        bar_->RefillPanel(index);
    }
}

std::string TSideBarSlot::ChosenBinderPath() const {
    return bar_ != nullptr ? bar_->ChosenBinderPath() : std::string();
}

void TSideBarSlot::FillResultPanel(const std::vector<std::string>& texts,
                                   const std::map<std::string, uint32_t>& ids) {
    if (bar_ != nullptr) {
        bar_->FillResultPanel(texts, ids);
    }
}
