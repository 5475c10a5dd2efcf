#pragma once

#include <cstddef>
#include <cstdio>
#include <memory>
#include <string>

namespace korvane {

// One input file, opened for reading and read from its start in growing prefixes, so that a
// reader takes only as much of a large file or an endless stream as it can use. Owns the open
// file until Close() or destruction. Errors are the wave reader's fixed texts: "Can't open the
// data file!" for a file that cannot be opened or read (folders included), "The file can't be
// closed!" from Close().
class InputFile {
public:
    explicit InputFile(const std::string& path);

    // Extends bytes() to the first `limit` bytes of the file, or to all of it when it is shorter.
    void ReadUpTo(std::size_t limit);

    const std::string& bytes() const { return bytes_; }
    // True once the end of the file was seen: bytes() then holds all of it.
    bool complete() const { return complete_; }

    void Close();

private:
    struct Closer {
        void operator()(std::FILE* file) const { std::fclose(file); }
    };

    std::string path_;
    std::unique_ptr<std::FILE, Closer> file_;
    std::string bytes_;
    bool complete_ = false;
};

} // namespace korvane
