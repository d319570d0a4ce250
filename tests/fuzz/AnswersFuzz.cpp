// Whatever a device answers a request (any bytes, any count, any result): each row's line reads
// only the bytes the answer returned, is one line, and is the line the window shows; the
// decoders of "DeviceIoControl..." read only the bytes returned and write whole lines.
#include <algorithm>
#include <cstring>
#include <memory>

#include "app/FrmMain.h"
#include "devctl/IoControl.h"
#include "devctl/Requests.h"
#include "session/InertKernel.h"
#include "tests/fuzz/Fuzz.h"
#include "ui/Headless.h"

namespace {

// Fills the whole output buffer, as a careless driver may, whatever count it returns.
struct Answering : session::InertKernel {
    struct {
        sys::BOOL res;
        sys::DWORD count, error;
        std::string bytes;
    } next;
    sys::BOOL DeviceIoControl(sys::Handle, sys::DWORD, const void*, sys::DWORD, void* out,
                              sys::DWORD outSize, sys::DWORD* returned) override {
        if (out) std::memcpy(out, next.bytes.data(), outSize);
        *returned = next.count;
        SetLastError(next.error);
        return next.res;
    }
};

bool OneLine(const std::string& line) {
    return !line.empty() && std::ranges::none_of(line, [](unsigned char c) { return c < ' '; });
}

void Decoded(fuzz::Bytes& in) {
    namespace L = sys::ioctl;
    static const L::DWORD kCodes[] = {
        L::IOCTL_DISK_GET_DRIVE_LAYOUT_EX,   L::IOCTL_DISK_GET_PARTITION_INFO_EX,
        L::IOCTL_STORAGE_QUERY_PROPERTY,     L::IOCTL_DISK_GET_DRIVE_GEOMETRY_EX,
        L::FSCTL_GET_NTFS_VOLUME_DATA,       L::IOCTL_VOLUME_GET_VOLUME_DISK_EXTENTS,
        L::IOCTL_STORAGE_GET_DEVICE_NUMBER};
    const L::DWORD code = kCodes[in.pick(std::size(kCodes))];
    const std::uint8_t query[12] = {};  // the device descriptor's standard query
    const std::string_view bytes = in.rest;
    const auto block = std::make_unique<std::uint8_t[]>(bytes.size());
    std::memcpy(block.get(), bytes.data(), bytes.size());
    for (const std::string& line : devctl::DecodeAnswer(code, query, {block.get(), bytes.size()}))
        FUZZ_CHECK(OneLine(line) || line.empty());
}

void Answers(std::string_view input) {
    fuzz::Bytes in{input};
    if (in.byte() % 4 == 0) return Decoded(in);
    const auto rows = devctl::Requests();
    const std::size_t which = in.pick(rows.size() + 2);
    const devctl::Request& row = which < rows.size()    ? rows[which]
                                 : which == rows.size() ? devctl::kSetDiskAttributes
                                                        : devctl::kSetGptAttributes;
    const sys::BOOL results[] = {0, 1, sys::BOOL(in.u32())};
    const sys::BOOL res = results[in.pick(3)];
    const std::uint32_t size = row.outSize;  // 0 (short), the size, more, 2^31, 2^32-1, any
    const std::uint32_t counts[] = {
        0, in.u32() % (size + 1), size, size + 1 + in.byte(), 0x80000000u, 0xFFFFFFFFu, in.u32()};
    const std::uint32_t count = counts[in.pick(std::size(counts))];
    const sys::DWORD error = in.u32();
    std::string answer(in.rest.substr(0, size));
    answer.resize(size);

    // The formatter sees the bytes returned in a block of exactly their size.
    const std::size_t n = std::min<std::size_t>(size, count);
    const auto block = std::make_unique<std::uint8_t[]>(n);
    std::memcpy(block.get(), answer.data(), n);
    const std::string line = row.successLine({res, count, {block.get(), n}});
    FUZZ_CHECK(OneLine(line));
    if (which >= rows.size()) return;  // sent after a dialog, by no button of its own

    // One window with a handle open serves every input.
    static struct Window {
        Answering kernel;
        ui::Headless tk;
        app::FrmMain frm{tk, kernel, ""};
        Window() { frm.load(), frm.cmdCreateFile.click(); }
    } w;
    w.kernel.calls.clear();
    w.kernel.next = {res, count, error, answer};
    w.frm.lblResult.setText("");
    w.frm.ctl(row.button, row.index).click();
    const std::string shown = w.frm.lblResult.text();
    const bool ok = row.successOnlyWhenOne ? res == 1 : res != 0;
    FUZZ_CHECK(ok ? shown == line : shown.starts_with(row.failurePrefix) && OneLine(shown));
}

}  // namespace

FUZZ_TARGET(answers, Answers)
