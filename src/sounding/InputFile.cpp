#include "sounding/InputFile.h"

#include "dsp/KorvaneError.h"
#include "sounding/WaveFileReader.h"

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <system_error>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace korvane {

namespace {

// Opens a file for reading without waiting for a writer: a FIFO nobody writes to would block
// open() forever, so it is opened non-blocking and then read normally, which then sees the end
// of the data at once. Folders are refused.
std::FILE* OpenForReading(const std::string& path) {
    int fd = -1;
    do {
        fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0)
        return nullptr;
    struct stat info {};
    const int flags = ::fcntl(fd, F_GETFL);
    if (::fstat(fd, &info) != 0 || S_ISDIR(info.st_mode) || flags < 0 ||
        ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) {
        ::close(fd);
        return nullptr;
    }
    std::FILE* file = ::fdopen(fd, "rb");
    if (file == nullptr)
        ::close(fd);
    return file;
}

} // namespace

InputFile::InputFile(const std::string& path) : path_(path), file_(OpenForReading(path)) {
    if (!file_)
        throw KorvaneError(WaveFileReader::kCantOpen);
}

void InputFile::ReadUpTo(std::size_t limit) {
    if (complete_ || !file_ || bytes_.size() >= limit)
        return;
    // Regular files are read in one piece when they are small; streams in 64 KB chunks.
    std::error_code error;
    const auto fileSize = std::filesystem::file_size(path_, error);
    std::size_t chunk = 64 * 1024;
    if (!error && fileSize < limit && fileSize >= bytes_.size())
        chunk = static_cast<std::size_t>(fileSize) - bytes_.size() + 1;
    while (bytes_.size() < limit) {
        const std::size_t want = std::min(chunk, limit - bytes_.size());
        const std::size_t used = bytes_.size();
        bytes_.resize(used + want);
        const std::size_t got = std::fread(bytes_.data() + used, 1, want, file_.get());
        bytes_.resize(used + got);
        if (got < want) {
            if (std::ferror(file_.get()))
                throw KorvaneError(WaveFileReader::kCantOpen);
            complete_ = true;
            break;
        }
        chunk = std::max<std::size_t>(chunk, 64 * 1024);
    }
}

void InputFile::Close() {
    if (file_ && std::fclose(file_.release()) != 0)
        throw KorvaneError(WaveFileReader::kCantClose);
}

} // namespace korvane
