// The column table of an export: a line per column (its number, its time in seconds and the display
// values of its rows), numbers in the program's number form, lines ending in CR LF.
#pragma once

#include <cstdio>
#include <span>
#include <string>

namespace ondrix {

// The table of one file, or of a run of its pages.
class ColumnTable {
public:
    ColumnTable() = default;
    ~ColumnTable() { Close(); }
    ColumnTable(const ColumnTable&) = delete;
    ColumnTable& operator=(const ColumnTable&) = delete;

    bool Open(const std::string& path);
    // A file without a name in the folder (gone when closed or when the program dies), else in the
    // system's temporary folder.
    bool OpenUnnamed(const std::string& folder);
    // False when anything written was lost.
    bool Close();
    void Add(long long column, double seconds, std::span<const float> values);
    // Appends what another table holds.
    bool Append(ColumnTable& part);

private:
    std::FILE* file_ = nullptr;
    std::string line_;
};

} // namespace ondrix
