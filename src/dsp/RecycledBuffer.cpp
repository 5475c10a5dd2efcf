#include "dsp/RecycledBuffer.h"

namespace korvane {

namespace {

std::vector<double>& Spare() {
    thread_local std::vector<double> spare;
    return spare;
}

} // namespace

RecycledBuffer::RecycledBuffer(std::size_t size) {
    std::vector<double>& spare = Spare();
    if (spare.capacity() >= size) {
        buffer_.swap(spare);
    }
    buffer_.resize(size);
}

RecycledBuffer::~RecycledBuffer() {
    std::vector<double>& spare = Spare();
    if (buffer_.capacity() > spare.capacity()) {
        buffer_.swap(spare);
    }
}

} // namespace korvane
