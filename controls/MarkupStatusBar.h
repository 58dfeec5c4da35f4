#pragma once

// The main window's status bar: a row of panels, each showing plain text, a mini-HTML text
// with links, images and blinking (drawn by HTMLDrawText), a progress bar, the time or date,
// or the state of a lock key. A window timer (id 111, every 100 ms) keeps the self-updating
// panels current and drives the blinking. A click on a link opens web and mail addresses
// through the shell-open hook and reports every other link through OnAnchorClick.
//
// Main thread only: callers on other threads hand their changes to the main thread.

#include "platform/base/DateTime.h"
#include "platform/graphics/Canvas.h"
#include "platform/widgets/Alignment.h"
#include "platform/widgets/Control.h"
#include "platform/widgets/KeyLocks.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class QSizeGrip;
class TImageList;
class TMarkupStatusBar;
class TMarkupStatusPanel;
class TMarkupStatusPanels;

enum class TMarkupStatusPanelStyle {
    psHTML,
    psText,
    psOwnerDraw,
    psTime,
    psDate,
    psNumLock,
    psCapsLock,
    psScrollLock,
    psProgress
};

enum class TMarkupStatusPanelBevel { pbNone, pbLowered, pbRaised };

enum class TProgressIndication { piPercentage, piAbsolute, piNone };

// The settings of a psProgress panel. Every setter stores the value and lays out and redraws
// all panels.
class TProgressStyle {
public:
    explicit TProgressStyle(TMarkupStatusPanel* owner) : owner_(owner) {}
    TProgressStyle(const TProgressStyle&) = delete;
    TProgressStyle& operator=(const TProgressStyle&) = delete;

    void Assign(const TProgressStyle& source);

    int Min() const { return min_; }
    void SetMin(int value);
    int Position() const { return position_; }
    void SetPosition(int value);
    int Max() const { return max_; }
    void SetMax(int value);
    // The filled part.
    TColor Color() const { return color_; }
    void SetColor(TColor value);
    TProgressIndication Indication() const { return indication_; }
    void SetIndication(TProgressIndication value);
    // The empty part.
    TColor BackGround() const { return background_; }
    void SetBackGround(TColor value);
    // The text over the filled part; over the empty part it is the inverse of BackGround.
    TColor TextColor() const { return textColor_; }
    void SetTextColor(TColor value);

private:
    void Changed();

    TMarkupStatusPanel* owner_;
    int min_ = 0;
    int position_ = 0;
    int max_ = 100;
    TColor color_ = clHighlight;
    TProgressIndication indication_ = TProgressIndication::piPercentage;
    TColor background_ = clBtnFace;
    TColor textColor_ = clHighlightText;
};

class TMarkupStatusPanel {
public:
    // Panels are made by TMarkupStatusPanels::Add.
    TMarkupStatusPanel(TMarkupStatusPanels* collection, TBiDiMode barBiDiMode);
    TMarkupStatusPanel(const TMarkupStatusPanel&) = delete;
    TMarkupStatusPanel& operator=(const TMarkupStatusPanel&) = delete;

    int Index() const;
    // Text, or "TMarkupStatusPanel" and the index when there is none.
    std::string GetDisplayName() const;
    // Copies text, width, alignment, bevel, style, formats, progress settings and hint.
    void Assign(const TMarkupStatusPanel& source);

    // UTF-8; mini-HTML in psHTML panels. An unchanged text redraws nothing.
    const std::string& Text() const { return text_; }
    void SetText(const std::string& value);
    // Pixels; the last panel always reaches the right end of the bar.
    int Width() const { return width_; }
    void SetWidth(int value);
    TAlignment Alignment() const { return alignment_; }
    void SetAlignment(TAlignment value);
    TMarkupStatusPanelBevel Bevel() const { return bevel_; }
    void SetBevel(TMarkupStatusPanelBevel value);
    TBiDiMode BiDiMode() const { return biDiMode_; }
    // Also stops following the bar's mode.
    void SetBiDiMode(TBiDiMode value);
    bool ParentBiDiMode() const { return parentBiDiMode_; }
    void SetParentBiDiMode(bool value);
    TMarkupStatusPanelStyle Style() const { return style_; }
    void SetStyle(TMarkupStatusPanelStyle value);
    // FormatDateTime formats of psTime and psDate panels.
    const std::string& TimeFormat() const { return timeFormat_; }
    void SetTimeFormat(const std::string& value);
    const std::string& DateFormat() const { return dateFormat_; }
    void SetDateFormat(const std::string& value);
    const std::string& Hint() const { return hint_; }
    void SetHint(const std::string& value);
    TProgressStyle& Progress() { return progress_; }
    const TProgressStyle& Progress() const { return progress_; }
    void SetProgress(const TProgressStyle& value);

    // Set when the panel was invalidated and has not been drawn since.
    bool UpdateNeeded() const { return updateNeeded_; }
    void SetUpdateNeeded(bool value) { updateNeeded_ = value; }

    // Redraws this panel, or lays out and redraws every panel.
    void Changed(bool allItems);

private:
    TMarkupStatusPanels* collection_;
    std::string text_;
    int width_ = 50;
    TAlignment alignment_ = TAlignment::taLeftJustify;
    TMarkupStatusPanelBevel bevel_ = TMarkupStatusPanelBevel::pbLowered;
    TBiDiMode biDiMode_;
    bool parentBiDiMode_ = true;
    TMarkupStatusPanelStyle style_ = TMarkupStatusPanelStyle::psText;
    bool updateNeeded_ = false;
    std::string timeFormat_ = "hh:mm:ss";
    std::string dateFormat_ = "mm/dd/yyyy";
    std::string hint_;
    TProgressStyle progress_{this};
};

class TMarkupStatusPanels {
public:
    explicit TMarkupStatusPanels(TMarkupStatusBar* bar) : bar_(bar) {}
    TMarkupStatusPanels(const TMarkupStatusPanels&) = delete;
    TMarkupStatusPanels& operator=(const TMarkupStatusPanels&) = delete;

    TMarkupStatusBar* GetOwner() const { return bar_; }
    int Count() const { return static_cast<int>(items_.size()); }
    TMarkupStatusPanel& Add();
    TMarkupStatusPanel& GetItem(int index) { return *items_.at(static_cast<size_t>(index)); }
    const TMarkupStatusPanel& GetItem(int index) const {
        return *items_.at(static_cast<size_t>(index));
    }
    TMarkupStatusPanel& operator[](int index) { return GetItem(index); }
    void Delete(int index);
    void Clear();
    int IndexOf(const TMarkupStatusPanel* panel) const;
    // Copies every panel of `source` (as many panels as it has).
    void Assign(const TMarkupStatusPanels& source);

    // One panel redrawn, or (null) all laid out and redrawn.
    void Update(TMarkupStatusPanel* item);

private:
    TMarkupStatusBar* bar_;
    std::vector<std::unique_ptr<TMarkupStatusPanel>> items_;
};

// The right edges of the parts the bar shows for panels of these widths: running sums, -1 for
// the last (to the right end); at most 128 parts; a single -1 without panels.
std::vector<int> PartEdges(const std::vector<int>& widths);

class TMarkupStatusBar : public TCustomControl {
public:
    static constexpr uint32_t TimerId = 111;
    static constexpr int TimerInterval = 100;
    static constexpr int MaxParts = 128;

    explicit TMarkupStatusBar(QWidget* parent = nullptr);
    ~TMarkupStatusBar() override;

    TMarkupStatusPanels& Panels() { return panels_; }

    const std::string& SimpleText() const { return simpleText_; }
    void SetSimpleText(const std::string& value);
    // One part over the whole bar showing SimpleText in place of the panels.
    bool SimplePanel() const { return simplePanel_; }
    void SetSimplePanel(bool value);
    // A size grip at the right end while the bar sits in a window that can be resized.
    bool SizeGrip() const { return sizeGrip_; }
    void SetSizeGrip(bool value);
    // Font follows the desktop's status font.
    bool UseSystemFont() const { return useSystemFont_; }
    void SetUseSystemFont(bool value);
    void SyncToSystemFont();
    TColor URLColor() const { return urlColor_; }
    void SetURLColor(TColor value);
    // Not owned; set to null before the list goes away.
    const TImageList* Images() const { return images_; }
    void SetImages(const TImageList* images);
    // The hints of the program's commands are shown by the bar itself (ExecuteHintAction).
    bool AutoHint() const { return autoHint_; }
    void SetAutoHint(bool value) { autoHint_ = value; }
    // Links of HTML panels show their target as the hint.
    bool AnchorHint() const { return anchorHint_; }
    void SetAnchorHint(bool value) { anchorHint_ = value; }
    TBiDiMode BiDiMode() const { return biDiMode_; }
    // Panels that follow the bar take the new mode.
    void SetBiDiMode(TBiDiMode value);
    int BlinkCounter() const { return blinkCounter_; }

    // The href of the link under a client point of an HTML panel, or "".
    std::string IsAnchor(int x, int y);
    // The first panel whose part holds x (edges included), or -1.
    int GetPanel(int x) const;
    // The part of a panel with its bevel (empty for a panel that is not shown).
    TRect PanelRect(int index) const;
    // Inside the bevel: where a panel's content is drawn.
    TRect PanelContentRect(int index) const;
    // The hint for a client point, and where it shows (screen), as the bar would show it;
    // false when the bar has none to show.
    bool HintAt(int x, int y, std::string& hint, TPoint& screenPos);

    // Without repaint: marks the panel and invalidates its part. With repaint: draws it now
    // when it was marked.
    void UpdatePanel(int index, bool repaint);
    // Lays the parts out again (updateRects) and updates every panel, repainting them when
    // updateText.
    void UpdatePanels(bool updateRects, bool updateText);
    // Refreshes the time, date and lock-key panels and redraws blinking ones.
    virtual void UpdateStatusBar();
    // Raises OnHint; true when there is a handler.
    virtual bool DoHint();
    // The hint of a command, as the program hands it to its controls when no one else shows
    // it: with AutoHint on and no OnHint handler it goes to panel 0, or to SimpleText in simple
    // mode or without panels, and counts as handled (true).
    bool ExecuteHintAction(const std::string& hint);
    // Runs UpdateStatusBar once after the owner has set the bar up.
    void Loaded() { UpdateStatusBar(); }
    // Reverses the panels for a right-to-left layout.
    void FlipChildren();

    std::function<void(TMarkupStatusBar& statusBar, TMarkupStatusPanel& panel, const TRect& rect)>
        OnDrawPanel;
    std::function<void()> OnHint;
    std::function<void(const std::string& anchor)> OnAnchorClick;
    std::function<void(const std::string& anchor)> OnAnchorEnter;
    std::function<void(const std::string& anchor)> OnAnchorExit;
    // Opens web and mail links (http, https, ftp, mailto) with the desktop's handler.
    std::function<void(const std::string& target)> ShellOpen;
    // Where the time and date panels read the clock and the lock-key panels the keyboard.
    std::function<TDateTime()> Clock = [] { return Now(); };
    std::function<bool(uint16_t virtualKey)> KeyToggled = IsKeyToggled;

    QSize sizeHint() const override;

protected:
    // Draws one owner-drawn panel (psHTML, psProgress, psOwnerDraw).
    virtual void DrawPanel(TMarkupStatusPanel& panel, const TRect& rect);

    void Paint() override;
    void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
    void MouseMove(TShiftState shift, int x, int y) override;
    void Resize() override;
    void Dispatch(TMessage& message) override;
    bool event(QEvent* e) override;

private:
    void DrawProgress(const TProgressStyle& progress, const TRect& rect);
    void DrawPanelText(const TMarkupStatusPanel* panel, const std::string& text, const TRect& r);
    void DrawBevel(TMarkupStatusPanelBevel bevel, const TRect& r);
    int VisibleParts() const;
    int RightEnd() const;
    bool GripShown() const;
    void PlaceSizeGrip();
    bool LockOn(uint16_t virtualKey) const;

    TMarkupStatusPanels panels_{this};
    std::string simpleText_;
    bool simplePanel_ = false;
    bool sizeGrip_ = true;
    bool useSystemFont_ = true;
    TColor urlColor_ = clBlue;
    int blinkCounter_ = 0;
    const TImageList* images_ = nullptr;
    int lastPanel_ = -1;
    std::string lastAnchor_;
    bool anchorHint_ = false;
    bool autoHint_ = false;
    TBiDiMode biDiMode_ = TBiDiMode::bdLeftToRight;
    QSizeGrip* grip_ = nullptr;
};
