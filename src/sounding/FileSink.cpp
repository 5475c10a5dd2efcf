#include "sounding/FileSink.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <unistd.h>

namespace korvane {

namespace {
constexpr std::size_t kBufferSize = 64 * 1024;
}

FileSink::~FileSink() {
    CloseQuietly();
}

bool FileSink::Create(const std::filesystem::path& path, unsigned mode, WriteGate gate) {
    CloseQuietly();
    error_.clear();
    written_ = 0;
    gate_ = std::move(gate);
    do {
        fd_ = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
    } while (fd_ < 0 && errno == EINTR);
    if (fd_ < 0) {
        Fail("cannot create " + path.string(), errno);
        return false;
    }
    buffer_.resize(kBufferSize);
    setp(buffer_.data(), buffer_.data() + buffer_.size());
    return true;
}

bool FileSink::Commit() {
    if (fd_ < 0)
        return false;
    bool ok = error_.empty() && Drain();
    if (ok && ::fsync(fd_) != 0) {
        Fail("cannot flush the file to the disk", errno);
        ok = false;
    }
    // close() reports deferred write errors on some file systems, so its result counts.
    const int fd = fd_;
    fd_ = -1;
    setp(nullptr, nullptr);
    if (::close(fd) != 0 && ok) {
        Fail("cannot close the file", errno);
        ok = false;
    }
    return ok;
}

FileSink::int_type FileSink::overflow(int_type ch) {
    if (fd_ < 0 || !Drain())
        return traits_type::eof();
    if (!traits_type::eq_int_type(ch, traits_type::eof())) {
        *pptr() = traits_type::to_char_type(ch);
        pbump(1);
    }
    return traits_type::not_eof(ch);
}

std::streamsize FileSink::xsputn(const char* data, std::streamsize count) {
    if (fd_ < 0 || count <= 0)
        return 0;
    const auto room = static_cast<std::streamsize>(epptr() - pptr());
    if (count <= room) {
        std::memcpy(pptr(), data, static_cast<std::size_t>(count));
        pbump(static_cast<int>(count));
        return count;
    }
    // Large blocks bypass the buffer once it is drained.
    if (!Drain() || !WriteAll(data, static_cast<std::size_t>(count)))
        return 0;
    return count;
}

int FileSink::sync() {
    return fd_ >= 0 && Drain() ? 0 : -1;
}

bool FileSink::Drain() {
    if (!error_.empty())
        return false;
    const auto size = static_cast<std::size_t>(pptr() - pbase());
    if (size > 0 && !WriteAll(pbase(), size))
        return false;
    setp(buffer_.data(), buffer_.data() + buffer_.size());
    return true;
}

bool FileSink::WriteAll(const char* data, std::size_t size) {
    std::size_t allowed = size;
    if (gate_)
        allowed = std::min(size, gate_(written_, size));
    std::size_t done = 0;
    while (done < allowed) {
        const ssize_t n = ::write(fd_, data + done, allowed - done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            Fail("cannot write the file", errno);
            return false;
        }
        done += static_cast<std::size_t>(n);
        written_ += static_cast<uint64_t>(n);
    }
    if (allowed < size) {
        Fail("cannot write the file", ENOSPC);
        return false;
    }
    return true;
}

void FileSink::Fail(const std::string& what, int err) {
    if (error_.empty())
        error_ = what + " (" + std::strerror(err) + ")";
}

void FileSink::CloseQuietly() {
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
    setp(nullptr, nullptr);
}

} // namespace korvane
