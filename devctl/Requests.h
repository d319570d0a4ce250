// Device-control requests as data: one row per button. One runner (FrmMain::RunRequest) makes
// the call and writes the failure line; each row's success formatter is the one place where its
// success line is built.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "sys/Effect.h"
#include "sys/Ioctl.h"

namespace devctl {

// What a request answered. `out` is the part of the output buffer the answer filled: never more
// than the buffer, never more than the bytes-returned count, so fields beyond it read as 0.
struct Reply {
    std::int32_t res = 0;
    std::uint32_t bytesReturned = 0;
    std::span<const std::uint8_t> out;

    // A field of the answer as its own type, or its bits as signed; `base` is where its
    // structure starts in the answer.
    template <typename T, std::size_t O>
    T Value(sys::ioctl::Field<T, O> field, std::size_t base = 0) const {
        return sys::ioctl::Get(out, field, base);
    }
    template <typename T, std::size_t O>
    std::make_signed_t<T> Signed(sys::ioctl::Field<T, O> field, std::size_t base = 0) const {
        return sys::ioctl::GetSigned(out, field, base);
    }
    // A bare 32-bit answer (a count, a flag word) at this offset, signed.
    std::int32_t I32At(std::size_t offset) const {
        return sys::ioctl::GetAt<std::int32_t>(out, offset);
    }
};

// The largest output buffer a row may ask for: the extents area with room for 101 entries.
inline constexpr std::size_t kMaxOutSize = 2432;
inline constexpr std::size_t kMaxInSize = 268;

// The output area of one request, aligned as the structures want it.
struct OutBuffer {
    alignas(8) std::uint8_t bytes[kMaxOutSize];
};

struct Request {
    const char* button;  // control name of the main window
    int index;           // control-array index, -1 outside an array
    sys::Effect effect;  // whether the request changes data or a device's state
    sys::ioctl::DWORD code;
    const char* failurePrefix;  // ends in "res=0  Err="; the error suffix follows
    std::string (*successLine)(const Reply&);
    std::uint32_t inSize = 0;
    void (*fillIn)(std::span<std::uint8_t>) = nullptr;  // on a zeroed input buffer
    std::uint32_t outSize = 0;
    void (*prepareOut)(std::span<std::uint8_t>) = nullptr;  // on a zeroed output buffer
    bool hourglass = false;
    bool successOnlyWhenOne = false;  // success is res == 1 instead of res != 0
};

// Every request button of the main window.
std::span<const Request> Requests();

// The change requests that follow a dialog: sent with the dialog's bytes, bound to no button.
extern const Request kSetDiskAttributes;
extern const Request kSetGptAttributes;
// The read that precedes the GPT dialog: the row of "Vol Get GPT Attr".
const Request& GetGptAttributesRow();

// The name of a STORAGE_BUS_TYPE value, or the value in signed decimal when it has none.
std::string BusTypeName(const std::int32_t& busType);

// A 64-bit product for a result line: exact, or "overflow" in place of a wrapped number.
std::string Product(std::int64_t a, std::int64_t b);
std::string Product(std::int64_t a, std::int64_t b, std::int64_t c, std::int64_t d);

}  // namespace devctl
