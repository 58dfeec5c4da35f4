#pragma once

#include "platform/shell/RegisteredMessages.h"

#include <cstddef>
#include <deque>
#include <optional>
#include <string>
#include <string_view>

// What travels over the instance channel: a registered message, or a DDE execute text with the
// service and topic of its conversation. On the wire:
//   "Message <name> <wParam>\n"
//   "Execute <service> <topic> <length>\n" followed by exactly <length> bytes of text
// The text is carried whole, whatever it holds, so paths longer than any fixed buffer arrive
// intact; the receiver decides what it accepts.
struct ChannelFrame {
    enum class Kind { Message, Execute };
    Kind kind = Kind::Message;
    RegisteredMessage message; // Kind::Message
    std::string service;       // Kind::Execute
    std::string topic;
    std::string text;
};

inline constexpr std::size_t MaxFrameHeader = 256;
inline constexpr std::size_t MaxExecuteText = 64 * 1024;

// Names, services and topics are single words; anything else throws Exception, as does a text
// longer than MaxExecuteText.
std::string EncodeMessageFrame(const RegisteredMessage& message);
std::string EncodeExecuteFrame(std::string_view service, std::string_view topic,
                               std::string_view text);

// Cuts a byte stream from one connection into frames. The peer is not trusted: a header that is
// too long or malformed, or an announced text past MaxExecuteText, stops the reader for good
// (Failed()); the frames completed before it are still handed out.
class ChannelFrameReader {
public:
    void Feed(std::string_view bytes);
    // The oldest complete frame not yet taken.
    std::optional<ChannelFrame> Next();
    bool Failed() const { return failed_; }

private:
    void Parse();
    bool ParseHeader(std::string_view header);

    std::string buffer_;
    std::deque<ChannelFrame> ready_;
    std::optional<ChannelFrame> pendingExecute_; // header read, text still arriving
    std::size_t pendingLength_ = 0;
    bool failed_ = false;
};
