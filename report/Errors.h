// Naming of Windows error codes, and the error suffix every failure line ends with.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace report {

// The winerror.h symbol of a code (without "ERROR_"; BitLocker codes keep "FVE_E_"), or the
// code in signed decimal when the table has no row for it.
std::string ErrorCodeName(std::int32_t code);
// The code in decimal when 0 or positive, else "0x" and 8 upper-case hex digits.
std::string ErrorText(std::int32_t code);
// ErrorText & "  (" & ErrorCodeName & ")"
std::string ErrorSuffix(std::int32_t code);

}  // namespace report
