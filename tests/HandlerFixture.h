// The main window driven headless against the simulated machine.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "app/FrmMain.h"
#include "sys/SimMachine.h"
#include "ui/Headless.h"

class HandlerTest : public ::testing::Test {
  protected:
    explicit HandlerTest(std::string commandLine = "") : frm(tk, m, std::move(commandLine)) {
        frm.load();
        m.clearCalls();
    }

    // Fills the open's parameter boxes; share is the FILE_SHARE_* mask.
    void Params(const std::string& name, const std::string& access, unsigned share = 0,
                int disposition = 3, const std::string& flags = "0x00000000") {
        frm.cboFileName.setText(name);
        frm.txtAccess.setText(access);
        for (int i = 0; i < 3; ++i) frm.chkShare(i).setValue((share >> i) & 1);
        frm.cboCreation.setListIndex(disposition);
        frm.txtFlagsAndAttibutes.setText(flags);
    }

    // Opens sharing reading and writing, OPEN_EXISTING; the call log, pointer and paints start
    // after it.
    void Open(const std::string& name, const std::string& access = "0xC0000000",
              const std::string& flags = "0x00000000") {
        Params(name, access, 1 | 2, 3, flags);
        frm.cmdCreateFile.click();
        ASSERT_EQ(Result(), "CreateFile success") << name << "\n" << m.toString();
        m.clearCalls();
        tk.pointerHistory.clear();
        tk.repaints.clear();
    }
    void MoveTo(const std::string& high, const std::string& low) {
        frm.txtPosHigh.setText(high);
        frm.txtPosLow.setText(low);
        frm.cmdSetFilePointer.click();
    }

    // Read or Write with this text in the Count box.
    void Read(const std::string& count) {
        frm.txtCount.setText(count);
        frm.cmdRead.click();
    }
    void Write(const std::string& count) {
        frm.txtCount.setText(count);
        frm.cmdWrite.click();
    }

    std::string Result() const { return frm.lblResult.text(); }

    int Count(const std::string& call) const {
        const auto& c = m.calls();
        return static_cast<int>(std::count(c.begin(), c.end(), call));
    }

    ui::Headless tk;
    sys::SimMachine m;
    app::FrmMain frm;
};
