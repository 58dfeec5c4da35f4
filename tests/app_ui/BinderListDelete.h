#pragma once

// Deleting a binder as the user does: chosen in the side bar's binder list, then "Delete" from
// its menu.

#include "app/ui/FormVelmorRnx.h"
#include "app/ui/ShelfBarTqz.h"
#include "app/ui/SideBarPane.h"
#include "app/ui/TreePane.h"

#include <QMenu>
#include <gtest/gtest.h>

#include <string>

inline void DeleteFromBinderList(TFormVelmorRnx& window, const std::string& binderFile) {
    TSideBarPane& bar = window.SideBar();
    bar.OpenPanel(BinderListPanel);
    TShelfBarTqz& shelf = window.TreePane().ShelfBar1();
    TShelfPanel& list = shelf.Panels()[BinderListPanel];
    int item = 0;
    while (item < list.Items().Count() && list.Items()[item].TextValue() != binderFile) {
        ++item;
    }
    ASSERT_LT(item, list.Items().Count());
    const TRect r = shelf.GetItemRect(&list, &list.Items()[item]);
    bar.ShelfBar1MouseUp(true, (r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2);
    bar.PopupMenu6().hide();
    ASSERT_EQ(bar.ChosenBinderPath(), binderFile);
    bar.DeleteBinder1().trigger();
}
