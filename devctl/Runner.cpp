// The steps every request button shares: hourglass where the row asks for it, zeroed buffers,
// exactly one DeviceIoControl on hFile as it is, the last error captured right after, and the
// row's success line or the common failure line.
#include <algorithm>
#include <optional>

#include "app/FrmMain.h"
#include "devctl/Requests.h"

namespace app {

void FrmMain::bindRequests() {
    // ctl() throws on a name the window does not have: a misspelt row fails at start-up.
    for (const devctl::Request& r : devctl::Requests())
        ctl(r.button, r.index).onClick = [this, &r] { RunRequest(r); };
    // The two changes go through their dialogs before the request.
    ctl("cmdSetDiskAttributes").onClick = [this] { cmdSetDiskAttributes_Click(); };
    ctl("cmdVolSetGptAttr").onClick = [this] { cmdVolSetGptAttr_Click(); };
    ctl("cmdDeviceIoControl").onClick = [this] { cmdDeviceIoControl_Click(); };
}

std::optional<devctl::Reply> FrmMain::SendRequest(const devctl::Request& r,
                                                  std::span<const std::uint8_t> input,
                                                  devctl::OutBuffer& out) {
    alignas(8) std::uint8_t in[devctl::kMaxInSize] = {};
    std::span<const std::uint8_t> sent = input;
    if (sent.empty() && r.inSize) {
        if (r.fillIn) r.fillIn(std::span(in, r.inSize));
        sent = std::span(in, r.inSize);
    }
    std::fill(std::begin(out.bytes), std::end(out.bytes), std::uint8_t{0});
    if (r.prepareOut) r.prepareOut(std::span(out.bytes, r.outSize));

    sys::DWORD bytesReturned = 0;
    const sys::BOOL res = k.DeviceIoControl(
        hFile, r.code, sent.empty() ? nullptr : sent.data(), static_cast<sys::DWORD>(sent.size()),
        r.outSize ? out.bytes : nullptr, r.outSize, &bytesReturned);
    CaptureLastError();

    const bool ok = r.successOnlyWhenOne ? res == 1 : res != 0;
    if (!ok) {
        SetResult(r.failurePrefix + ErrorSuffix());
        return std::nullopt;
    }
    // A count beyond the buffer is shown as it came but never read past the buffer.
    return devctl::Reply{
        res, bytesReturned,
        std::span<const std::uint8_t>(out.bytes, std::min<std::size_t>(r.outSize, bytesReturned))};
}

bool FrmMain::RunRequest(const devctl::Request& r, std::span<const std::uint8_t> input) {
    std::optional<BusyPointer> busy;
    if (r.hourglass) busy.emplace(*this);
    devctl::OutBuffer out;
    const std::optional<devctl::Reply> reply = SendRequest(r, input, out);
    if (reply) SetResult(r.successLine(*reply));
    return reply.has_value();
}

}  // namespace app
