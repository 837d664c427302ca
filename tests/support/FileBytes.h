// Whole files as bytes, for tests that write an input file or compare an output byte for byte.
#pragma once

#include <fstream>
#include <iterator>
#include <string>

namespace ondrix {

inline std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

} // namespace ondrix
