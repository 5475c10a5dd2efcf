#pragma once

#include <cstddef>
#include <vector>

namespace korvane {

// Scratch memory of doubles that goes back to its thread when released, for the next user to
// take instead of asking the system for fresh pages. A fast lag sweep of a whole record works
// on a few hundred kilobytes, and faulting those pages in costs as much as the transforms.
//
// Each thread keeps the largest buffer released on it (one buffer only), until the thread ends.
// A buffer taken while the thread's spare is in use, or too small, is allocated as usual.
class RecycledBuffer {
public:
    // size doubles; their values are unspecified.
    explicit RecycledBuffer(std::size_t size);
    ~RecycledBuffer();
    RecycledBuffer(const RecycledBuffer&) = delete;
    RecycledBuffer& operator=(const RecycledBuffer&) = delete;

    double* data() { return buffer_.data(); }
    const double* data() const { return buffer_.data(); }
    std::size_t size() const { return buffer_.size(); }

private:
    std::vector<double> buffer_;
};

} // namespace korvane
