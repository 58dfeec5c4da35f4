#pragma once

// Window messages: (msg, wParam, lParam) as the framework's controls and the program's
// threads exchange them. A posted message travels as a QEvent to the receiver's thread and
// reaches its Dispatch; workers may post from any thread.

#include <QEvent>

#include <cstdint>

class QObject;

struct TMessage {
    uint32_t Msg = 0;
    uintptr_t WParam = 0;
    intptr_t LParam = 0;
    intptr_t Result = 0;
};

constexpr uint32_t WM_SETFOCUS = 0x0007;
constexpr uint32_t WM_COPY = 0x0301;
constexpr uint32_t WM_KEYDOWN = 0x0100;
constexpr uint32_t WM_KEYUP = 0x0101;
constexpr uint32_t WM_CHAR = 0x0102;
constexpr uint32_t WM_TIMER = 0x0113;
constexpr uint32_t WM_HSCROLL = 0x0114;
constexpr uint32_t WM_VSCROLL = 0x0115;
constexpr uint32_t WM_USER = 0x0400;

// Scroll codes of WM_HSCROLL and WM_VSCROLL (the low word of wParam; the position is the
// high word, and also in lParam, unclipped to 16 bits).
constexpr uint32_t SB_LINEUP = 0;
constexpr uint32_t SB_LINEDOWN = 1;
constexpr uint32_t SB_PAGEUP = 2;
constexpr uint32_t SB_PAGEDOWN = 3;
constexpr uint32_t SB_THUMBPOSITION = 4;
constexpr uint32_t SB_THUMBTRACK = 5;
constexpr uint32_t SB_TOP = 6;
constexpr uint32_t SB_BOTTOM = 7;
constexpr uint32_t SB_ENDSCROLL = 8;

// The event that carries a message.
class TMessageEvent : public QEvent {
public:
    explicit TMessageEvent(const TMessage& message) : QEvent(EventType()), message_(message) {}
    static QEvent::Type EventType();
    const TMessage& Message() const { return message_; }

private:
    TMessage message_;
};

// Queues the message for `receiver` (a control, or any object that handles TMessageEvent);
// safe from any thread. Messages posted to one receiver arrive in order.
void PostMessage(QObject* receiver, uint32_t msg, uintptr_t wParam, intptr_t lParam);
