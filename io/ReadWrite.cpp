// "&Read" and "&Write": one block between the handle and Buf, through committed memory.
#include <cstring>
#include <new>

#include "app/FrmMain.h"
#include "io/HexView.h"
#include "io/Numbers.h"
#include "io/VirtualBlock.h"
#include "ui/Toolkit.h"

namespace app {

namespace {
// Room for exactly `bytes` in buf, keeping its contents; false when it cannot be had. A 32-bit
// vector holds at most 2^31 - 1 bytes (a count of 2^31 - 1 needs one more for index 0) and
// refuses more with length_error, not bad_alloc.
bool Reserve(std::vector<std::uint8_t>& buf, std::size_t bytes) {
    if (bytes > buf.max_size()) return false;
    try {
        buf.reserve(bytes);  // exactly this much, not the doubling of a plain resize
    } catch (const std::bad_alloc&) {
        return false;
    }
    return true;
}

// Buf grown to exactly `bytes`, keeping its contents; the new bytes are zero.
bool GrowKeeping(std::vector<std::uint8_t>& buf, std::size_t bytes) {
    if (!Reserve(buf, bytes)) return false;
    buf.resize(bytes);
    return true;
}

// Commits and locks the block of one read or write; when the system has no memory for it, says
// so on the result line and returns false.
bool TakeBlock(FrmMain& f, io::VirtualBlock& block, std::size_t bytes) {
    const bool allocated = block.allocate(bytes);
    f.CaptureLastError();
    if (!allocated) {
        f.SetResult("Err: alloc mem failed");
        return false;
    }
    block.lock();
    f.CaptureLastError();
    return true;
}
}  // namespace

void FrmMain::cmdRead_Click() {
    const std::optional<double> countText = io::NumberText(txtCount.text());
    if (!countText) return Refuse("ReadFile Err: Count is not a number");
    const std::optional<std::int32_t> rounded = io::RoundToInt32(*countText);
    if (!rounded || *rounded <= 0) return Refuse("Err: wrong read count");
    const std::int32_t count = *rounded;
    const auto bytes = static_cast<std::size_t>(count);

    const BusyPointer busy(*this);
    SetResultNow("Err=---");
    lblRWcount.setText("");
    toolkit().refresh(lblRWcount);

    io::VirtualBlock block(k);
    if (!TakeBlock(*this, block, bytes)) return;
    k.Sleep(100);

    lstHexView.clear();
    // Buf is resized to indices 0..count, all zero, discarding its bytes. The old buffer goes
    // first so that a large count never holds both; the new one is only reserved here and
    // filled below, by the copy or with zeros, so its bytes are written once, not twice.
    const bool resized = io::SafeUBound(Buf) < count;
    if (resized) {
        std::vector<std::uint8_t>().swap(Buf);
        if (!Reserve(Buf, bytes + 1)) {
            // The block was had but Buf cannot hold a copy: nothing is read.
            return SetResult("Err: alloc mem failed");
        }
    }

    sys::DWORD dwBytesRead = 0;
    const sys::BOOL res =
        k.ReadFile(hFile, block.data(), static_cast<sys::DWORD>(count), &dwBytesRead);
    CaptureLastError();
    if (res != 0) {
        SetResult("ReadFile res=" + std::to_string(res) +
                  " dwBytesRead=" + std::to_string(dwBytesRead));
        // One block move; past dwBytesRead the block is still zero, as committed.
        if (resized) {
            Buf.assign(block.data(), block.data() + bytes);
            Buf.push_back(0);
        } else {
            std::memcpy(Buf.data(), block.data(), bytes);
        }
    } else {
        SetResult("ReadFile res=0 Err=" + ErrorSuffix());
        if (resized) Buf.resize(bytes + 1);
    }
    lblHandle.setText(io::HexNoPad(static_cast<std::uint32_t>(hFile)));
    lblRWcount.setText("BytesRead: " + io::HexNoPad(dwBytesRead) + " (" +
                       std::to_string(dwBytesRead) + ")");
    if (res != 0) {
        RefreshFilePointerLabel();
        // Lines are made from Buf when shown. Buf only changes again by a read or a write
        // that grows it, and both clear the view first.
        const std::size_t shown = dwBytesRead < bytes ? dwBytesRead : bytes;
        lstHexView.setVirtual(io::HexViewLineCount(shown), [this, shown](std::size_t line) {
            return io::HexViewLine(Buf.data(), shown < Buf.size() ? shown : Buf.size(), line);
        });
    }
    block.release();
    CaptureLastError();
}

void FrmMain::cmdWrite_Click() {
    // A count that is not a number, or beyond 32 bits, has no meaning for WriteFile: no call,
    // nothing written.
    const std::optional<double> countText = io::NumberText(txtCount.text());
    if (!countText) return Refuse("WriteFile Err: Count is not a number");
    const std::optional<std::int32_t> rounded = io::RoundToInt32(*countText);
    if (!rounded) return Refuse("WriteFile Err: Count is out of range");
    const std::int32_t count = *rounded;

    const BusyPointer busy(*this);
    SetResultNow("Err=---");
    lblRWcount.setText("");
    toolkit().refresh(lblRWcount);
    k.Sleep(100);

    if (io::SafeUBound(Buf) < count) {
        const int answer = toolkit().ask("Writing ZEROS! Sure?", "Warning", ui::kYesNoQuestion);
        // Only Yes writes: a box left by Escape or its close box answers IDCANCEL.
        if (answer != ui::kIdYes) return;
        if (!GrowKeeping(Buf, static_cast<std::size_t>(count) + 1)) {
            return SetResult("Err: alloc mem failed");
        }
        lstHexView.clear();
    }

    // A count of 0 or below asks for no bytes, which the system refuses.
    const std::size_t bytes = count > 0 ? static_cast<std::size_t>(count) : 0;
    io::VirtualBlock block(k);
    if (!TakeBlock(*this, block, bytes)) return;
    if (bytes > 0) std::memcpy(block.data(), Buf.data(), bytes);

    sys::DWORD dwBytesWritten = 0;
    const sys::BOOL res =
        k.WriteFile(hFile, block.data(), static_cast<sys::DWORD>(bytes), &dwBytesWritten);
    CaptureLastError();
    // Built now: the pointer query below leaves its own last error.
    const std::string line = res != 0 ? "WriteFile res=" + std::to_string(res) +
                                            " dwBytesWritten=" + std::to_string(dwBytesWritten)
                                      : "WriteFile Err=" + ErrorSuffix();
    RefreshFilePointerLabel();
    SetResult(line);
    lblHandle.setText(io::HexNoPad(static_cast<std::uint32_t>(hFile)));
    lblRWcount.setText("BytesWritten: " + io::HexNoPad(dwBytesWritten) + " (" +
                       std::to_string(dwBytesWritten) + ")");
    block.release();
    CaptureLastError();
}

}  // namespace app
