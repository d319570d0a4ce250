// Names of the GetFileType answers.
#pragma once

#include <cstdint>
#include <string>

namespace io {

// "FILE_TYPE_UNKNOWN", "FILE_TYPE_DISK", "FILE_TYPE_CHAR", "FILE_TYPE_PIPE", else the value in
// signed decimal (FILE_TYPE_REMOTE, 0x8000, gives "32768").
std::string FileTypeName(std::int32_t value);

}  // namespace io
