// Memory for whole images. On a virtual machine every first touch of a 4 KiB page can cost the
// kernel tens of microseconds, so a fresh 100 MB image took longer to get its pages than to be
// decoded. A buffer of several megabytes asks for the kernel's 2 MiB pages before it is first
// written (transparent huge pages on request; a hint the kernel may ignore, nothing else
// changes): opening a camera's photograph becomes several times faster.
#pragma once

#include <cstddef>
#include <vector>

namespace vesta {

// Asks for 2 MiB pages over the whole 2 MiB blocks inside [p, p + bytes); small ranges are left.
void adviseLargePages(void* p, std::size_t bytes);

// Gives `samples` n elements, zero, asking for large pages before they are written.
template <typename T>
void resizeImageBuffer(std::vector<T>& samples, std::size_t n) {
    if (samples.capacity() < n) {
        std::vector<T>().swap(samples);
        samples.reserve(n);
        adviseLargePages(samples.data(), n * sizeof(T));
    }
    samples.assign(n, T());
}

// Empties `samples` and reserves room for n elements without writing them: the pages of an
// untouched reservation cost nothing, so a damaged file that declares a huge image and holds
// a few rows takes the memory of those rows only. A reader then grows it as rows arrive.
template <typename T>
void reserveImageBuffer(std::vector<T>& samples, std::size_t n) {
    std::vector<T>().swap(samples);
    samples.reserve(n);
    adviseLargePages(samples.data(), n * sizeof(T));
}

// Grows `samples` to at least n elements inside its reservation (n never exceeds it): only
// the new elements are written. Returns the first element.
template <typename T>
T* growImageBuffer(std::vector<T>& samples, std::size_t n) {
    if (samples.size() < n) {
        samples.resize(n);
    }
    return samples.data();
}

}  // namespace vesta
