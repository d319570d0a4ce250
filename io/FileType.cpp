#include "io/FileType.h"

#include "sys/Kernel.h"

namespace io {

std::string FileTypeName(std::int32_t value) {
    switch (static_cast<sys::DWORD>(value)) {
        case sys::w::FILE_TYPE_UNKNOWN:
            return "FILE_TYPE_UNKNOWN";
        case sys::w::FILE_TYPE_DISK:
            return "FILE_TYPE_DISK";
        case sys::w::FILE_TYPE_CHAR:
            return "FILE_TYPE_CHAR";
        case sys::w::FILE_TYPE_PIPE:
            return "FILE_TYPE_PIPE";
        default:
            return std::to_string(value);
    }
}

}  // namespace io
