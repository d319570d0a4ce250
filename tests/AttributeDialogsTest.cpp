// Disk and GPT attributes: the texts the dialogs read, and the two change requests driven with
// scripted dialogs against the simulated machine, checked on the bytes that go out.
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "devctl/AttributeDialogs.h"
#include "sys/Ioctl.h"
#include "tests/HandlerFixture.h"

namespace {

namespace L = sys::ioctl;
using Bytes = std::vector<std::uint8_t>;
using app::FrmSetDiskAttributes;
using app::FrmSetGptAttribs;

TEST(GptTexts, ValueOfHex64SplitsBeforeTheLastEightCharacters) {
    const std::pair<const char*, std::uint64_t> rows[] = {
        {"0x8000000000000001", 0x8000000000000001},
        {"8000000000000001", 0x8000000000000001},
        {"0x1", 1},
        {"8000", 0x8000},
        {"100000000", 0x100000000},  // nine digits: the first is the high half
        {"", 0},
        {"0X10", 0},  // only a lower-case "0x" is removed; "0X10" reads as its leading "0"
        {"0x0x10", 0x10},
        {"12zz3456", 0x12},                         // leading digits of the low half
        {"123456789ABCDEF01", 0x23456789ABCDEF01},  // a high half of nine keeps 32 bits
        {"ffffffffFFFFFFFF", 0xFFFFFFFFFFFFFFFF},
    };
    for (const auto& [text, value] : rows) EXPECT_EQ(app::ValueOfHex64(text), value) << text;
}

// Which GPT words and option bytes are taken, and as what, is the numbers fuzz target's oracle;
// here what a refusal says.
TEST(GptTexts, RefusalsNameTheProblem) {
    const std::pair<const char*, const char*> words[] = {
        {"0x", "is empty"},
        {"-1", "is not a hexadecimal number"},
        {"10000000000000000", "has more than 16 hexadecimal digits"},
    };
    for (const auto& [text, problem] : words) EXPECT_EQ(app::ParseGptText(text).problem, problem);
    const std::pair<const char*, const char*> bytes[] = {
        {"  ", "is empty"}, {"256", "is out of range"}, {"12abc", "is not a whole number"}};
    for (const auto& [text, problem] : bytes) EXPECT_EQ(app::ParseOptionByte(text).problem, problem);
}

class Attributes : public HandlerTest {
  protected:
    ui::Control& Button(const char* name) { return frm.ctl(name); }
    // Presses the button with what the user does in its dialog.
    template <class Dialog>
    void PressWith(const char* button, std::function<void(Dialog&)> user) {
        tk.modalScripts.push_back([user](ui::Form& f) { user(dynamic_cast<Dialog&>(f)); });
        Button(button).click();
        EXPECT_TRUE(tk.modalScripts.empty()) << "no dialog was shown";
    }
    std::string SetDisk(std::function<void(FrmSetDiskAttributes&)> user) {
        PressWith<FrmSetDiskAttributes>("cmdSetDiskAttributes", std::move(user));
        return Result();
    }
    std::string SetGpt(std::function<void(FrmSetGptAttribs&)> user) {
        PressWith<FrmSetGptAttribs>("cmdVolSetGptAttr", std::move(user));
        return Result();
    }
    static Bytes DiskChange(std::uint8_t persist, std::uint32_t attr, std::uint32_t mask) {
        Bytes b(40);
        L::PutAt<std::uint32_t>(b, 0, 40);
        L::PutAt<std::uint8_t>(b, 4, persist);
        L::PutAt<std::uint32_t>(b, 8, attr);
        L::PutAt<std::uint32_t>(b, 16, mask);
        return b;
    }
    static Bytes GptChange(std::uint64_t word, std::uint8_t revert, std::uint8_t applyToAll) {
        Bytes b(16);
        L::PutAt<std::uint64_t>(b, 0, word);
        L::PutAt<std::uint8_t>(b, 8, revert);
        L::PutAt<std::uint8_t>(b, 9, applyToAll);
        return b;
    }
};

TEST_F(Attributes, ADiskBothOfflineAndReadOnlyOpensWithBothBoxesAndChangesOneBit) {
    m.setDiskAttributes("PhysicalDrive0", 0x3);
    Open("\\\\.\\PhysicalDrive0");
    Button("cmdGetDiskAttributes").click();
    EXPECT_EQ(Result(), "GetDiskAttributes res=1 dwBytesRet=16  Attr=0x3");

    const std::string line = SetDisk([](FrmSetDiskAttributes& d) {
        EXPECT_EQ(d.chkAttr(1).value(), 1);
        EXPECT_EQ(d.chkAttr(2).value(), 1);
        EXPECT_EQ(d.txtAttr.text(), "0x00000003");
        EXPECT_EQ(d.chkAttrMask(1).value() + d.chkAttrMask(2).value(), 0);
        EXPECT_EQ(d.txtAttrMask.text(), "0x00000000");
        EXPECT_EQ(d.chkPersist.value(), 0);
        d.chkAttr(2).setValue(0);
        EXPECT_EQ(d.txtAttr.text(), "0x00000001");
        d.chkAttrMask(2).setValue(1);
        EXPECT_EQ(d.txtAttrMask.text(), "0x00000002");
        d.cmdSet.click();
    });
    EXPECT_EQ(line, "SetDiskAttributes res=1");
    EXPECT_EQ(m.lastControl().code, L::IOCTL_DISK_SET_DISK_ATTRIBUTES);
    EXPECT_EQ(m.lastControl().input, DiskChange(0, 0x1, 0x2));
    EXPECT_TRUE(m.lastControl().outputAsPassed.empty());
    EXPECT_EQ(m.diskAttributes("PhysicalDrive0"), 0x1u) << "only the read-only bit changed";
}

TEST_F(Attributes, WhatTheDiskDialogSends) {
    Open("\\\\.\\C:");  // a volume handle acts on its disk
    struct Case {
        const char* what;
        std::function<void(FrmSetDiskAttributes&)> user;
        Bytes sent;
        std::uint64_t after;
        bool persist;
    };
    const Case cases[] = {
        {"Set with no mask box",
         [](FrmSetDiskAttributes& d) { d.chkAttr(1).setValue(1), d.cmdSet.click(); },
         DiskChange(0, 0x1, 0), 0, false},
        {"typing into the value boxes changes nothing",
         [](FrmSetDiskAttributes& d) {
             d.txtAttr.userSetText("0xFFFFFFFF");
             d.txtAttrMask.userSetText("0x3");
             d.chkAttrMask(1).setValue(1);
             d.cmdSet.click();
         },
         DiskChange(0, 0x0, 0x1), 0, false},
        {"persist",
         [](FrmSetDiskAttributes& d) {
             d.chkPersist.setValue(1);
             d.chkAttr(1).setValue(1), d.chkAttrMask(1).setValue(1);
             d.cmdSet.click();
         },
         DiskChange(1, 0x1, 0x1), 0x1, true},
        {"persist unchecked again, offline cleared",
         [](FrmSetDiskAttributes& d) {
             d.chkPersist.setValue(1), d.chkPersist.setValue(0);
             d.chkAttr(1).setValue(0), d.chkAttrMask(1).setValue(1);
             d.cmdSet.click();
         },
         DiskChange(0, 0x0, 0x1), 0x0, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(SetDisk(c.user), "SetDiskAttributes res=1") << c.what;
        EXPECT_EQ(m.lastControl().input, c.sent) << c.what;
        EXPECT_EQ(m.diskAttributes("PhysicalDrive0"), c.after) << c.what;
        EXPECT_EQ(m.diskAttributesPersist("PhysicalDrive0"), c.persist) << c.what;
    }
}

TEST_F(Attributes, CancelAndTheCloseBoxSendNothingAndEachUseStartsAfresh) {
    m.setDiskAttributes("PhysicalDrive0", 0x2);
    Open("\\\\.\\PhysicalDrive0");
    frm.lblResult.setText("before");
    for (auto leave : {+[](FrmSetDiskAttributes& d) { d.cmdCancel.click(); },
                       +[](FrmSetDiskAttributes& d) { d.close(); }}) {
        m.clearCalls();
        SetDisk([leave](FrmSetDiskAttributes& d) {
            d.chkPersist.setValue(1);
            d.chkAttrMask(2).setValue(1);
            leave(d);
        });
        EXPECT_EQ(Result(), "before");
        EXPECT_EQ(Count("DeviceIoControl"), 1) << "only the read";
    }
    SetDisk([](FrmSetDiskAttributes& d) {
        EXPECT_EQ(d.chkPersist.value(), 0);
        EXPECT_EQ(d.chkAttrMask(2).value(), 0);
        EXPECT_EQ(d.AttrMask, 0);
        EXPECT_EQ(d.Attr, 2);
        d.cmdSet.click();
    });
    EXPECT_EQ(m.lastControl().input, DiskChange(0, 0x2, 0));
}

TEST_F(Attributes, TheDiskDialogOpensEvenWhenTheReadFails) {
    // No handle: the read fails unseen, the boxes are clear, and Set shows the system's error.
    EXPECT_EQ(SetDisk([](FrmSetDiskAttributes& d) {
                  EXPECT_EQ(d.chkAttr(1).value() + d.chkAttr(2).value(), 0);
                  d.cmdSet.click();
              }),
              "SetDiskAttributes res=0  Err=6  (INVALID_HANDLE)");
    // A read that fails on a handle: the boxes are clear all the same. (A handle that may read
    // but not change is the conformance table's.)
    Open("\\\\.\\PhysicalDrive0");
    m.setDiskAttributes("PhysicalDrive0", 0x1);
    m.failNextControl(L::IOCTL_DISK_GET_DISK_ATTRIBUTES, sys::err::NOT_READY);
    SetDisk([](FrmSetDiskAttributes& d) {
        EXPECT_EQ(d.Attr, 0);
        d.cmdCancel.click();
    });
}

TEST_F(Attributes, GptWordShownAndSentBack) {
    m.setVolumeGpt('C', true, 0xC000000000000000);
    Open("\\\\.\\C:");
    Button("cmdVolGetGptAttr").click();
    EXPECT_EQ(Result(), "res=1  attr=0xC000000000000000");
    // OK without edits sends the same word with both options 0.
    EXPECT_EQ(SetGpt([](FrmSetGptAttribs& d) {
                  EXPECT_EQ(d.txtGptAttributes.text(), "0xC000000000000000");
                  EXPECT_EQ(d.txtApplyToAllConnectedVolumes.text(), "0");
                  EXPECT_EQ(d.txtRevertOnClose.text(), "0");
                  d.cmdOK.click();
              }),
              "res=1");
    EXPECT_EQ(m.lastControl().code, L::IOCTL_VOLUME_SET_GPT_ATTRIBUTES);
    EXPECT_EQ(m.lastControl().input, GptChange(0xC000000000000000, 0, 0));

    struct Case {
        const char* word;
        const char* applyToAll;
        const char* revert;
        Bytes sent;
    };
    const Case cases[] = {
        {"8000000000000000", "0", "0", GptChange(0x8000000000000000, 0, 0)},
        {"1", "1", "0", GptChange(1, 0, 1)},
        {"100000000", "0", "&H0", GptChange(0x100000000, 0, 0)},
        {"0x0000000000000002", "255", "2", GptChange(2, 2, 255)},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(SetGpt([&c](FrmSetGptAttribs& d) {
                      d.txtGptAttributes.userSetText(c.word);
                      d.txtApplyToAllConnectedVolumes.userSetText(c.applyToAll);
                      d.txtRevertOnClose.userSetText(c.revert);
                      d.cmdOK.click();
                  }),
                  "res=1")
            << c.word;
        EXPECT_EQ(m.lastControl().input, c.sent) << c.word;
    }
    EXPECT_TRUE(m.gptAppliedToAll('C'));
    // The last change asked to be undone when its handle closes.
    EXPECT_EQ(m.gptAttributes('C'), 2u);
    frm.cmdCloseHandle.click();
    EXPECT_EQ(m.gptAttributes('C'), 0x100000000u) << "the word before that change";
}

// Cancel is tests/scripts/dialogs.txt's; a slip in a box is the dry-run script's.
TEST_F(Attributes, TheGptCloseBoxLeavesTheLineEmptyAndAFailedReadShowsNoDialog) {
    m.setVolumeGpt('C', true, 0x10);
    Open("\\\\.\\C:");
    SetGpt([](FrmSetGptAttribs& d) { d.cmdOK.click(); });
    m.clearCalls();
    EXPECT_EQ(SetGpt([](FrmSetGptAttribs& d) {
                  d.txtGptAttributes.userSetText("0x1");
                  d.close();
              }),
              "");
    EXPECT_EQ(Count("DeviceIoControl"), 1) << "the read, no change";
    EXPECT_EQ(m.gptAttributes('C'), 0x10u);

    // No dialog is scripted: showing one would throw.
    m.setVolumeGpt('C', false);  // an MBR partition has no attribute word
    Button("cmdVolSetGptAttr").click();
    EXPECT_EQ(Result(), "GetGptAttr res=0  Err=1  (INVALID_FUNCTION)");
}

TEST_F(Attributes, TabbingIntoAGptBoxSelectsItsTextAClickDoesNot) {
    FrmSetGptAttribs d(tk);
    d.load();
    for (ui::Control* box :
         {&d.txtGptAttributes, &d.txtApplyToAllConnectedVolumes, &d.txtRevertOnClose}) {
        tk.selectedAll.clear();
        tk.focusByMouse = true;
        box->gotFocus();
        EXPECT_TRUE(tk.selectedAll.empty()) << box->name();
        tk.focusByMouse = false;
        box->gotFocus();
        EXPECT_EQ(tk.selectedAll, std::vector<std::string>{box->name()});
    }
}

}  // namespace
