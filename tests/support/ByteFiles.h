// Whole files as bytes or text, their little-endian fields and what sox reads in them, for tests that
// write and inspect real files.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ondrix {

inline std::vector<uint8_t> ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void WriteBytes(const std::string& path, std::string_view bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc)
        .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}
inline void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
    WriteBytes(path, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

inline std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void WriteFile(const std::string& path, const std::string& bytes) {
    WriteBytes(path, std::string_view(bytes));
}

inline uint32_t Le32(const std::vector<uint8_t>& b, std::size_t at) {
    return static_cast<uint32_t>(b[at]) | static_cast<uint32_t>(b[at + 1]) << 8 |
           static_cast<uint32_t>(b[at + 2]) << 16 | static_cast<uint32_t>(b[at + 3]) << 24;
}

// What a shell command prints on its standard output; nothing when it fails.
inline std::optional<std::string> CommandOutput(const std::string& command) {
    std::string output;
    FILE* pipe = popen(command.c_str(), "r");
    char buffer[256];
    while (pipe != nullptr && fgets(buffer, sizeof buffer, pipe) != nullptr) {
        output += buffer;
    }
    return pipe != nullptr && pclose(pipe) == 0 ? std::optional(output) : std::nullopt;
}

// How often `part` occurs in `text`.
inline int CountOf(const std::string& text, const std::string& part) {
    int count = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + part.size())) {
        ++count;
    }
    return count;
}

// soxi's rate, channels, samples and bits of a WAV file, one a line; "" when sox cannot read the file,
// nothing when sox is not installed.
inline std::optional<std::string> SoxInfo(const std::string& path) {
    if (std::system("command -v soxi >/dev/null 2>&1") != 0) {
        return std::nullopt;
    }
    const std::string q = "'" + path + "'";
    return CommandOutput("soxi -r " + q + " && soxi -c " + q + " && soxi -s " + q + " && soxi -b " + q)
        .value_or(std::string());
}

inline bool SoxInstalled() {
    return std::system("command -v sox >/dev/null 2>&1") == 0;
}

// sox's copy of a sound file in the format of the output's extension and the options ("-b 24", "-B").
inline bool SoxConvert(const std::string& in, const std::string& out, const std::string& options = "") {
    return std::system(("sox '" + in + "' " + options + " '" + out + "'").c_str()) == 0;
}

} // namespace ondrix
