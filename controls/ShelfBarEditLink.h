#pragma once

// The custom editor of a ptCustom item. A subclass creates its control in CreateEditor (on the
// bar, or on a popup window under the value with esPopup), shows the item's value in
// StartEdit, commits in StopEdit, and routes its control's key-down and exit to EditKeyDown
// and EditExit. The item tells its link to drop the editor when the item goes away.

#include "platform/graphics/Types.h"
#include "platform/widgets/Input.h"

#include <QPointer>
#include <QWidget>

#include <functional>
#include <string>

class TShelfBar;
class TShelfItem;

enum class TShelfEditStyle { esInplace, esPopup };

// The popup an esPopup editor lives in; hiding it (a click elsewhere, Escape) ends the edit.
class TShelfEditPopup : public QWidget {
public:
    TShelfEditPopup();
    std::function<void()> OnHide;

protected:
    void hideEvent(QHideEvent* e) override;
};

class TShelfEditLink {
public:
    TShelfEditLink() = default;
    virtual ~TShelfEditLink();
    TShelfEditLink(const TShelfEditLink&) = delete;
    TShelfEditLink& operator=(const TShelfEditLink&) = delete;

    TShelfEditStyle EditStyle = TShelfEditStyle::esInplace;
    int PopupWidth = 100;
    int PopupHeight = 100;
    bool WantKeyLeftRight = false;
    bool WantKeyUpDown = false;
    bool WantKeyHomeEnd = false;
    bool WantKeyPriorNext = false;
    bool WantKeyReturn = false;
    bool WantKeyEscape = false;
    int Tag = 0;
    std::function<void(TShelfEditLink& sender, const TRect& r, TShelfItem* item)> OnSetProperties;

    TShelfBar* ShelfBar() const { return bar_; }
    void SetShelfBar(TShelfBar* bar) { bar_ = bar; }
    // Null unless an esPopup edit is open.
    QWidget* PopupForm() const { return popup_; }

    virtual QWidget* GetEditor() { return nullptr; }
    virtual void CreateEditor(QWidget* /*parent*/) {}
    virtual void DestroyEditor() {}
    virtual void SetProperties(const TRect& r, TShelfItem* item);
    virtual void StartEdit(TShelfItem* /*item*/) {}
    virtual void StopEdit(TShelfItem* /*item*/) {}
    virtual std::string GetEditorValue() { return {}; }
    virtual void SetEditorValue(const std::string& /*value*/) {}
    virtual void SetOriginalValue() {}

    // The bar takes Enter, Escape, Page Up and Down, End and the arrows unless the link wants
    // them; a taken key is handled and cleared.
    void EditKeyDown(uint16_t& key, TShiftState shift);
    // Ends the edit and closes the popup.
    void EditExit();

    // Used by the bar: opens the popup below `screenAt` and builds the editor on it.
    void OpenPopup(TPoint screenAt);
    void ClosePopup();

private:
    TShelfBar* bar_ = nullptr;
    QPointer<TShelfEditPopup> popup_;
};
