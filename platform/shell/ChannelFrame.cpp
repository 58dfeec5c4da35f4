#include "platform/shell/ChannelFrame.h"

#include "platform/base/Exceptions.h"

#include <algorithm>
#include <charconv>
#include <vector>

namespace {

constexpr std::size_t MaxWord = 64;

bool IsWord(std::string_view text) {
    return !text.empty() && text.size() <= MaxWord &&
           std::all_of(text.begin(), text.end(), [](char c) { return c > ' ' && c < 0x7F; });
}

void RequireWord(std::string_view text) {
    if (!IsWord(text)) {
        throw Exception("Not a channel word: \"" + std::string(text) + "\"");
    }
}

// A strict decimal number: an optional "-" and digits, nothing else, within range.
template <typename Number> bool ParseNumber(std::string_view text, Number& value) {
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    return !text.empty() && error == std::errc() && stop == end;
}

std::vector<std::string_view> SplitWords(std::string_view line) {
    std::vector<std::string_view> words;
    std::size_t start = 0;
    while (true) {
        const std::size_t blank = line.find(' ', start);
        words.push_back(line.substr(start, blank - start));
        if (blank == std::string_view::npos) {
            return words;
        }
        start = blank + 1;
    }
}

} // namespace

std::string EncodeMessageFrame(const RegisteredMessage& message) {
    RequireWord(message.Name);
    return "Message " + message.Name + " " + std::to_string(message.WParam) + "\n";
}

std::string EncodeExecuteFrame(std::string_view service, std::string_view topic,
                               std::string_view text) {
    RequireWord(service);
    RequireWord(topic);
    if (text.size() > MaxExecuteText) {
        throw Exception("The execute text is too long");
    }
    return "Execute " + std::string(service) + " " + std::string(topic) + " " +
           std::to_string(text.size()) + "\n" + std::string(text);
}

void ChannelFrameReader::Feed(std::string_view bytes) {
    if (failed_) {
        return;
    }
    buffer_.append(bytes);
    Parse();
}

std::optional<ChannelFrame> ChannelFrameReader::Next() {
    if (ready_.empty()) {
        return std::nullopt;
    }
    ChannelFrame frame = std::move(ready_.front());
    ready_.pop_front();
    return frame;
}

void ChannelFrameReader::Parse() {
    std::size_t at = 0;
    while (!failed_) {
        if (pendingExecute_) {
            if (buffer_.size() - at < pendingLength_) {
                break;
            }
            pendingExecute_->text = buffer_.substr(at, pendingLength_);
            at += pendingLength_;
            ready_.push_back(std::move(*pendingExecute_));
            pendingExecute_.reset();
            continue;
        }
        const std::size_t newline = buffer_.find('\n', at);
        if (newline == std::string::npos) {
            failed_ = buffer_.size() - at > MaxFrameHeader;
            break;
        }
        const std::string_view header(buffer_.data() + at, newline - at);
        failed_ = header.size() > MaxFrameHeader || !ParseHeader(header);
        at = newline + 1;
    }
    buffer_.erase(0, at);
    if (failed_) {
        buffer_.clear();
        pendingExecute_.reset();
    }
}

bool ChannelFrameReader::ParseHeader(std::string_view header) {
    const std::vector<std::string_view> words = SplitWords(header);
    if (words.size() == 3 && words[0] == "Message" && IsWord(words[1])) {
        ChannelFrame frame;
        frame.message.Name = words[1];
        if (!ParseNumber(words[2], frame.message.WParam)) {
            return false;
        }
        ready_.push_back(std::move(frame));
        return true;
    }
    if (words.size() == 4 && words[0] == "Execute" && IsWord(words[1]) && IsWord(words[2])) {
        std::size_t length = 0;
        if (!ParseNumber(words[3], length) || length > MaxExecuteText) {
            return false;
        }
        ChannelFrame frame;
        frame.kind = ChannelFrame::Kind::Execute;
        frame.service = words[1];
        frame.topic = words[2];
        pendingExecute_ = std::move(frame);
        pendingLength_ = length;
        return true;
    }
    return false;
}
