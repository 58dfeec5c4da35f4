#pragma once

// The side bar as the binder tree takes it when it is made. The side bar pane is built over the
// tree, after it, so the tree is given this slot and the pane is put into it once it is there;
// until then (never while a command runs) the slot answers as a bar showing the tree panel.

#include "app/binder/commands/BinderUi.h"

class TSideBarSlot : public IBinderSideBar {
public:
    // The bar must outlive the slot or be taken out first (null).
    void Attach(IBinderSideBar* bar) { bar_ = bar; }

    int TopPanel() const override;
    void OpenPanel(int index) override;
    void RefillPanel(int index) override;
    std::string ChosenBinderPath() const override;
    void FillResultPanel(const std::vector<std::string>& texts,
                         const std::map<std::string, uint32_t>& ids) override;

private:
    IBinderSideBar* bar_ = nullptr;
};
