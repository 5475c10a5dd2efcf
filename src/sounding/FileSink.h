#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <streambuf>
#include <string>
#include <vector>

namespace korvane {

// A write-only stream buffer over a newly created file that can be forced to the disk.
// Owns the file descriptor; the file itself is left where it is when the sink is destroyed
// (removing a half-written file is the caller's decision).
class FileSink : public std::streambuf {
public:
    // Called before bytes [offset, offset + size) go to the file; answers how many of them the
    // device takes. Fewer than size makes that write fail there, as a full disk would.
    using WriteGate = std::function<std::size_t(uint64_t offset, std::size_t size)>;

    FileSink() = default;
    ~FileSink() override;
    FileSink(const FileSink&) = delete;
    FileSink& operator=(const FileSink&) = delete;

    // Creates the file, which must not exist yet. False (with Error()) when it cannot be created.
    // mode holds the permission bits before the process's umask.
    bool Create(const std::filesystem::path& path, unsigned mode, WriteGate gate = {});

    // Writes what is buffered, forces the data to the disk and closes the file. False (with
    // Error()) when any of it failed or an earlier write failed.
    bool Commit();

    const std::string& Error() const { return error_; }

protected:
    int_type overflow(int_type ch) override;
    std::streamsize xsputn(const char* data, std::streamsize count) override;
    int sync() override;

private:
    bool Drain();
    bool WriteAll(const char* data, std::size_t size);
    void Fail(const std::string& what, int err);
    void CloseQuietly();

    int fd_ = -1;
    uint64_t written_ = 0;
    std::vector<char> buffer_;
    WriteGate gate_;
    std::string error_;
};

} // namespace korvane
