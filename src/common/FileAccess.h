// Reads and writes at a file offset, retried when a signal interrupts them or the kernel moves fewer
// bytes than asked.
#pragma once

#include <cstddef>
#include <cstdint>

namespace ondrix {

// Bytes read at the offset, fewer than `count` only at the end of the file; -1 on an error (errno set).
int64_t ReadUpTo(int fd, void* into, std::size_t count, int64_t offset);
// All `count` bytes at the offset; false on an error or an end of file before them.
bool ReadAt(int fd, void* into, std::size_t count, int64_t offset);
// All `count` bytes written at the offset; false on an error.
bool WriteAt(int fd, const void* from, std::size_t count, int64_t offset);

} // namespace ondrix
