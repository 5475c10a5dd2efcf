#pragma once

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <string_view>

namespace korvane {

// The lines of a wave file as fgets with a 200-byte buffer reads them: each read takes up to
// 199 characters and stops after a line feed, so a longer line counts as several; the LF or
// CR LF that ends a line of 199 characters is taken with it rather than left for a read of its
// own. A read that
// meets the end of the data sets the end-of-file indicator; a read that finds nothing left
// fails and leaves the previous line in place. A line is seen only up to a NUL, as sscanf sees
// it. Views the text; owns nothing.
class WaveLineSource {
public:
    static constexpr std::size_t kMaxLineLength = 199;

    explicit WaveLineSource(std::string_view text) : text_(text) {}

    bool Read(std::string_view& line) {
        if (position_ >= text_.size()) {
            atEnd_ = true;
            return false;
        }
        const std::size_t room = std::min(kMaxLineLength, text_.size() - position_);
        const char* start = text_.data() + position_;
        const void* feed = std::memchr(start, '\n', room);
        std::size_t length = room;
        if (feed != nullptr)
            length = static_cast<std::size_t>(static_cast<const char*>(feed) - start) + 1;
        else if (room < kMaxLineLength)
            atEnd_ = true; // ran into the end of the data before the buffer was full
        else
            length += LineEndAt(position_ + room);
        const void* nul = std::memchr(start, '\0', length);
        const std::size_t visible =
            nul != nullptr ? static_cast<std::size_t>(static_cast<const char*>(nul) - start)
                           : length;
        line = std::string_view(start, visible);
        position_ += length;
        return true;
    }

    bool AtEnd() const { return atEnd_; }

    // Moves the next read to position, past lines read some other way.
    void SkipTo(std::size_t position) { position_ = position; }

private:
    // Bytes of an LF or CR LF at offset: the line end of a full-length line belongs to it.
    std::size_t LineEndAt(std::size_t offset) const {
        if (offset < text_.size() && text_[offset] == '\n')
            return 1;
        if (offset + 1 < text_.size() && text_[offset] == '\r' && text_[offset + 1] == '\n')
            return 2;
        return 0;
    }

    std::string_view text_;
    std::size_t position_ = 0;
    bool atEnd_ = false;
};

} // namespace korvane
