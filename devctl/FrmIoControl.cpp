// "DeviceIoControl...": any request on hFile, with the bytes of its answer in the hex list and
// the lines of its structure below them where the code's structure is known.
#include "devctl/FrmIoControl.h"

#include <new>

#include "app/FormHelpers.h"
#include "app/FrmMain.h"
#include "devctl/IoControl.h"
#include "io/HexView.h"
#include "ui/Toolkit.h"

namespace app {

using ui::Kind;

namespace {

constexpr int kButtonW = 1095, kButtonH = 375;

// Table order is the focus order: Code, Input, Output size, Send, Cancel.
std::vector<ui::ControlSpec> IoControlTable() {
    return {
        {"lblCode", -1, Kind::Label, "&Code:", {120, 165, 1140, 255}},
        {"cboCode", -1, Kind::ComboBox, "", {1320, 120, 7800, 315}},
        {"lblParts", -1, Kind::Label, "", {1320, 495, 7800, 255}},
        {"lblInput", -1, Kind::Label, "&Input:", {120, 885, 1140, 255}},
        {"txtInput", -1, Kind::TextBox, "", {1320, 840, 7800, 795}},
        {"lblInputCount", -1, Kind::Label, "0 bytes", {1320, 1695, 7800, 255}},
        {"lblOutSize", -1, Kind::Label, "&Output size:", {120, 2085, 1140, 255}},
        {"txtOutSize", -1, Kind::TextBox, "", {1320, 2040, 1335, 315}},
        {"lblOutRange", -1, Kind::Label, "bytes (0 to 1048576)", {2760, 2085, 2400, 255}},
        {"cmdSend", -1, Kind::Button, "Send", {6720, 2520, kButtonW, kButtonH}},
        {"cmdCancel", -1, Kind::Button, "Cancel", {8025, 2520, kButtonW, kButtonH}},
    };
}

}  // namespace

FrmIoControl::FrmIoControl(ui::Toolkit& toolkit)
    : ui::Form(toolkit, "frmIoControl", "DeviceIoControl", 9240, 3060, IoControlTable()),
      cboCode(ctl("cboCode")),
      lblParts(ctl("lblParts")),
      txtInput(ctl("txtInput")),
      lblInputCount(ctl("lblInputCount")),
      txtOutSize(ctl("txtOutSize")),
      cmdSend(ctl("cmdSend")),
      cmdCancel(ctl("cmdCancel")) {
    defaultButton = &cmdSend;
    cancelButton = &cmdCancel;
    // Room for a pasted dump; line breaks count as blanks between bytes.
    txtInput.setMultiLine(true);
    for (const devctl::CatalogueRow& r : devctl::Catalogue())
        cboCode.addItem(devctl::CatalogueItem(r));
    cboCode.onChange = [this] { cboCode_Change(); };
    txtInput.onChange = [this] { txtInput_Change(); };
    cmdSend.onClick = [this] { cmdSend_Click(); };
    cmdCancel.onClick = [this] { cmdCancel_Click(); };
}

void FrmIoControl::Form_Load() {
    PrepareFormControls(*this);
    toolkit().setComboMinVisible(cboCode, 20);
    Result = false;
}

bool FrmIoControl::Form_QueryClose() {
    cmdCancel_Click();
    return true;
}

void FrmIoControl::cboCode_Change() {
    const devctl::CodeText code = devctl::ParseCodeText(cboCode.text());
    lblParts.setText(code.ok ? devctl::CodeParts(code.code) : "");
}

void FrmIoControl::txtInput_Change() {
    const std::size_t n = devctl::HexByteCount(txtInput.text());
    lblInputCount.setText(std::to_string(n) + (n == 1 ? " byte" : " bytes"));
}

void FrmIoControl::cmdSend_Click() {
    Result = true;
    hide();
}

void FrmIoControl::cmdCancel_Click() {
    Result = false;
    hide();
}

// --- The press ----------------------------------------------------------------------------------

void FrmMain::cmdDeviceIoControl_Click() {
    {
        FrmIoControl dialog(toolkit());
        dialog.load();
        dialog.cboCode.setText(ioControl.code);
        dialog.txtInput.setText(ioControl.input);
        dialog.txtOutSize.setText(ioControl.outSize);
        dialog.cboCode_Change();
        dialog.txtInput_Change();
        dialog.show(true);
        // The texts are kept however the dialog was left, for the next use.
        ioControl = {dialog.cboCode.text(), dialog.txtInput.text(), dialog.txtOutSize.text()};
        if (!dialog.Result) return;  // nothing sent, the result line as it was
    }
    const devctl::CodeText code = devctl::ParseCodeText(ioControl.code);
    if (!code.ok) return Refuse("DeviceIoControl Err: Code " + code.problem);
    const devctl::BytesText input = devctl::ParseHexBytes(ioControl.input);
    if (!input.ok) return Refuse("DeviceIoControl Err: Input " + input.problem);
    const devctl::SizeText size = devctl::ParseOutputSize(ioControl.outSize);
    if (!size.ok) return Refuse("DeviceIoControl Err: Output size " + size.problem);

    const BusyPointer busy(*this);
    lstHexView.clear();
    ioLines.clear();
    std::vector<std::uint8_t>().swap(ioOut);
    try {
        ioOut.assign(size.size, 0);
    } catch (const std::bad_alloc&) {
        return SetResult("Err: alloc mem failed");
    }
    sys::DWORD bytesReturned = 0;
    const sys::BOOL res =
        k.DeviceIoControl(hFile, code.code, input.bytes.empty() ? nullptr : input.bytes.data(),
                          static_cast<sys::DWORD>(input.bytes.size()),
                          ioOut.empty() ? nullptr : ioOut.data(), size.size, &bytesReturned);
    CaptureLastError();
    if (res != 0)
        SetResult("DeviceIoControl res=" + std::to_string(res) +
                  " dwBytesRet=" + std::to_string(bytesReturned));
    else
        SetResult("DeviceIoControl res=0  Err=" + ErrorSuffix());

    // A failure may still fill part of the buffer (MORE_DATA): whatever the count says, never
    // more than the buffer is shown.
    ioOut.resize(std::min<std::size_t>(size.size, bytesReturned));
    ioLines = devctl::DecodeAnswer(code.code, input.bytes, ioOut);
    ++ioAnswers;
    const std::size_t hexLines = io::HexViewLineCount(ioOut.size());
    lstHexView.setVirtual(hexLines + ioLines.size(), [this, hexLines](std::size_t line) {
        if (line < hexLines) return io::HexViewLine(ioOut.data(), ioOut.size(), line);
        return line - hexLines < ioLines.size() ? ioLines[line - hexLines] : std::string();
    });
}

}  // namespace app
