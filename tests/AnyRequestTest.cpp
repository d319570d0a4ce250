// "DeviceIoControl...": the catalogue, the dialog's texts, and the press on the simulated machine.
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "devctl/IoControl.h"
#include "devctl/Requests.h"
#include "tests/HandlerFixture.h"

namespace {

namespace L = sys::ioctl;

TEST(Catalogue, IsSortedAndAgreesWithTheButtonsOnWhatChanges) {
    const auto catalogue = devctl::Catalogue();
    EXPECT_GE(catalogue.size(), 200u);
    for (std::size_t i = 1; i < catalogue.size(); ++i)
        EXPECT_LT(std::string(catalogue[i - 1].name), catalogue[i].name);
    std::vector<devctl::Request> rows(devctl::Requests().begin(), devctl::Requests().end());
    rows.push_back(devctl::kSetDiskAttributes);
    rows.push_back(devctl::kSetGptAttributes);
    for (const devctl::Request& r : rows) {
        ASSERT_NE(devctl::FindRequest(r.code), nullptr) << r.button;
        EXPECT_EQ(devctl::EffectOfCode(r.code).changes(), r.effect.changes()) << r.button;
    }
    // Unknown codes and codes that want write access change, whatever the catalogue says.
    EXPECT_TRUE(devctl::EffectOfCode(0x00221234).changes());
    EXPECT_TRUE(devctl::EffectOfCode(L::IOCTL_DISK_SET_DISK_ATTRIBUTES).changes());
    EXPECT_EQ(devctl::CodeParts(0x00070050),
              "DeviceType=0x7 (DISK) Function=0x14 Method=BUFFERED Access=ANY");
    EXPECT_EQ(devctl::CodeParts(0x1234C00F),
              "DeviceType=0x1234 Function=0x3 Method=NEITHER Access=READ+WRITE");
}

TEST(AnyRequestTexts, EachBoxIsReadWholeOrRefusedByName) {
    // Each row: the text, whether it is read, what it reads as, and the problem named otherwise.
    auto expectRows = [](const auto& rows, auto parse, auto value) {
        for (const auto& [text, ok, wanted, problem] : rows) {
            const auto t = parse(text);
            EXPECT_EQ(t.ok, ok) << text;
            EXPECT_EQ(t.*value, wanted) << text;
            EXPECT_EQ(t.problem, problem) << text;
        }
    };
    const std::tuple<const char*, bool, L::DWORD, const char*> codes[] = {
        {"IOCTL_DISK_GET_DRIVE_LAYOUT_EX", true, 0x00070050, ""},
        {" ioctl_disk_get_drive_layout_ex ", true, 0x00070050, ""},
        {"IOCTL_DISK_GET_DRIVE_LAYOUT_EX  0x00070050", true, 0x00070050, ""},
        {"IOCTL_DISK_GET_DRIVE_LAYOUT_EX  0x00070051", false, 0,
         "has a code that is not its name's"},
        {"0xDEADbeef", true, 0xDEADBEEF, ""},
        {"0x123456789", false, 0, "is not 0x and 1 to 8 hex digits"},
        {"0x", false, 0, "is not 0x and 1 to 8 hex digits"},
        {"IOCTL_NOPE", false, 0, "is not a name in the list"},
        {"", false, 0, "is empty"},
    };
    expectRows(codes, devctl::ParseCodeText, &devctl::CodeText::code);
    const std::tuple<const char*, bool, std::vector<std::uint8_t>, const char*> inputs[] = {
        {"01 00 00 00", true, {1, 0, 0, 0}, ""},
        {"0aFF\r\n\t10", true, {0x0A, 0xFF, 0x10}, ""},
        {"", true, {}, ""},
        {"01 0", false, {}, "has an odd number of hex digits"},
        {"01 0g", false, {}, "has a character that is not hex: 'g'"},
    };
    expectRows(inputs, devctl::ParseHexBytes, &devctl::BytesText::bytes);
    EXPECT_EQ(devctl::HexByteCount("01 0"), 1u);  // as typed so far
    const std::tuple<const char*, bool, std::uint32_t, const char*> sizes[] = {
        {" 4096 ", true, 4096, ""},
        {"0x100000", true, 1u << 20, ""},
        {"0", true, 0, ""},
        {"1048577", false, 0, "is out of range (0 to 1048576)"},
        {"99999999999999999999", false, 0, "is out of range (0 to 1048576)"},
        {"-1", false, 0, "is not a whole number"},
        {"", false, 0, "is empty"},
    };
    expectRows(sizes, devctl::ParseOutputSize, &devctl::SizeText::size);
}

class AnyRequest : public HandlerTest {
  protected:
    // One press; the dialog gets these texts and is left by `button`.
    void Press(const std::string& code, const std::string& input, const std::string& size,
               const char* button = "cmdSend") {
        tk.modalScripts.push_back([=](ui::Form& d) {
            d.ctl("cboCode").setText(code);
            d.ctl("txtInput").setText(input);
            d.ctl("txtOutSize").setText(size);
            d.ctl(button).click();
        });
        frm.ctl("cmdDeviceIoControl").click();
        ASSERT_TRUE(tk.modalScripts.empty());
    }
    std::vector<std::string> Shown() const {
        std::vector<std::string> lines;
        for (std::size_t i = 0; i < frm.lstHexView.count(); ++i)
            lines.push_back(frm.lstHexView.itemText(i));
        return lines;
    }
};

TEST_F(AnyRequest, SendsTheBytesAndShowsOnlyWhatCameBack) {
    Open("\\\\.\\PhysicalDrive0");
    Press("IOCTL_STORAGE_GET_DEVICE_NUMBER", "01 02", "16");
    EXPECT_EQ(Result(), "DeviceIoControl res=1 dwBytesRet=12");
    EXPECT_EQ(m.lastControl().code, L::IOCTL_STORAGE_GET_DEVICE_NUMBER);
    EXPECT_EQ(m.lastControl().input, (std::vector<std::uint8_t>{1, 2}));
    EXPECT_EQ(Shown(),
              (std::vector<std::string>{"070000000000000000000000  ............",
                                        "DeviceType=7  DeviceNumber=0  PartitionNumber=0"}));
    // A driver that claims more than the buffer: the buffer's bytes only.
    m.answerNextControl(0x00221234, {1, 2, 3, 4, 5}, 0xFFFFFFFF);
    Press("0x00221234", "", "3");
    EXPECT_EQ(Result(), "DeviceIoControl res=1 dwBytesRet=4294967295");
    EXPECT_EQ(Shown(), std::vector<std::string>{"010203  ..."});

    // The labels follow the boxes as the user types.
    tk.modalScripts.push_back([](ui::Form& d) {
        d.ctl("cboCode").setText("IOCTL_DISK_GET_DRIVE_LAYOUT_EX  0x00070050");
        d.ctl("cboCode").change();
        EXPECT_EQ(d.ctl("lblParts").text(),
                  "DeviceType=0x7 (DISK) Function=0x14 Method=BUFFERED Access=ANY");
        d.ctl("txtInput").setText("01 0");
        d.ctl("txtInput").change();
        EXPECT_EQ(d.ctl("lblInputCount").text(), "1 byte");
        d.close();
    });
    frm.ctl("cmdDeviceIoControl").click();
    Press("0x00221234", "", "8", "cmdCancel");
    EXPECT_EQ(Count("DeviceIoControl"), 2);
    EXPECT_EQ(frm.ioControl.outSize, "8");  // kept for the next use all the same
}

// The device descriptor's texts, with and without a serial, and cut by the buffer.
TEST_F(AnyRequest, TheDeviceDescriptorsTexts) {
    Open("\\\\.\\PhysicalDrive0");
    const std::string zeros = "00 00 00 00 00 00 00 00 00 00 00 00";
    using Texts = std::vector<std::string>;
    Press("IOCTL_STORAGE_QUERY_PROPERTY", zeros, "1024");
    EXPECT_EQ(Result(), "DeviceIoControl res=1 dwBytesRet=85");
    auto texts = [&] {
        const auto shown = Shown();
        return Texts(shown.end() - 4, shown.end());
    };
    EXPECT_EQ(texts(), (Texts{"Vendor=(none)", "Product=SIMULATED NVME DISK", "Revision=1.0",
                              "Serial=0000_0000_0000_0001."}));
    m.setDiskStrings("PhysicalDrive0", "ATA", "Disk  ", "2.0", "");
    Press("IOCTL_STORAGE_QUERY_PROPERTY", zeros, "1024");
    EXPECT_EQ(texts(), (Texts{"Vendor=ATA", "Product=Disk", "Revision=2.0", "Serial=(none)"}));
    Press("IOCTL_STORAGE_QUERY_PROPERTY", zeros, "47");
    EXPECT_EQ(texts(), (Texts{"Vendor=ATA", "Product=Dis (no NUL)", "Revision=(outside the answer)",
                              "Serial=(none)"}));
}

// The machine's disks as the dialog decodes them: a disk's volumes as its partitions, an MBR
// table with an extended partition, names of all 36 characters, 128 entries, a volume on two
// disks; and answers refused or cut short when the buffer misses part of them.
TEST_F(AnyRequest, EveryDiskOfTheMachineDecoded) {
    m.addPartitionedDisks();
    m.setVolumeGpt('C', false);
    m.setVolumeExtents('C', {{"PhysicalDrive0", 1 << 20, 4096}, {"PhysicalDrive2", 0, 512}});
    const std::string gpt = " Type={EBD0A0A2-B9E5-4433-87C0-68B6B72699C7} Id={000000";
    struct Row {
        const char* device;
        const char* code;
        const char* size;
        std::string result;
        std::size_t count;                       // decoded lines
        std::map<std::size_t, std::string> has;  // some of them, by index
    };
    const char *layout = "IOCTL_DISK_GET_DRIVE_LAYOUT_EX", *ntfs = "FSCTL_GET_NTFS_VOLUME_DATA",
               *extents = "IOCTL_VOLUME_GET_VOLUME_DISK_EXTENTS";
    // clang-format off
    const Row rows[] = {
        // Without a table of its own a disk lists its volumes.
        {"PhysicalDrive0", layout, "192", "res=1 dwBytesRet=192", 3,
         {{0, "PartitionStyle=MBR  Count=1"},
          {2, "#1 Offset=1048576 Length=4096 Number=1 Type=0x07 Boot=1 Recognized=1 HiddenSectors=2048"}}},
        {"PhysicalDrive1", layout, "4096", "res=1 dwBytesRet=1200", 10,
         {{0, "PartitionStyle=MBR  Count=8"},
          {4, "#3 Offset=17285775360 Length=17179869184 Number=3 Type=0x83 Boot=0 Recognized=0 HiddenSectors=33761280"},
          {5, "#4 Offset=34465644544 Length=8589934592 Number=0 Type=0x0F Boot=0 Recognized=0 HiddenSectors=67315712"},
          {6, "#5 Offset=34466693120 Length=8588886016 Number=4 Type=0x07 Boot=0 Recognized=1 HiddenSectors=2048"},
          {9, "#8 Offset=0 Length=0 Number=0 Type=0x00 Boot=0 Recognized=0 HiddenSectors=0"}}},
        // Its own table's style in every answer about it.
        {"PhysicalDrive1", "IOCTL_DISK_GET_DRIVE_GEOMETRY_EX", "4096", "res=1 dwBytesRet=112", 3,
         {{1, "PartitionInfo: Size=24 Style=MBR Signature=0x48420001"}}},
        {"PhysicalDrive2", layout, "4096", "res=1 dwBytesRet=480", 5,
         {{4, "#3 Offset=2148532224 Length=1073741824 Number=3" + gpt + "03-0000-0000-0000-000000000000}"
              " Attributes=0x0000000000000000 Name=Third: thirty-six characters, no NUL"}}},
        {"PhysicalDrive3", layout, "65536", "res=1 dwBytesRet=18480", 130,
         {{0, "PartitionStyle=GPT  Count=128"},
          {129, "#128 Offset=134217728 Length=1048576 Number=128" + gpt + "80-0000-0000-0000-000000000000}"
                " Attributes=0x0000000000000000 Name=Part 128, whose name is longer than "}}},
        {"PhysicalDrive3", layout, "18479", "res=0  Err=122  (INSUFFICIENT_BUFFER)", 0, {}},
        {"C:", ntfs, "96", "res=1 dwBytesRet=96", 3,
         {{0, "VolumeSerialNumber=0x0000000043000000 NumberSectors=160647952 TotalClusters=20080994 "
              "FreeClusters=10040497 TotalReserved=0"},
          {1, "BytesPerSector=512 BytesPerCluster=4096 BytesPerFileRecordSegment=1024 ClustersPerFileRecordSegment=0"},
          {2, "MftValidDataLength=268435456 MftStartLcn=786432 Mft2StartLcn=2 MftZoneStart=786432 MftZoneEnd=3296556"}}},
        {"C:", ntfs, "95", "res=0  Err=122  (INSUFFICIENT_BUFFER)", 0, {}},
        // Too small for both extents: the first and the count come back, to size the next try;
        // too small for one, nothing.
        {"C:", extents, "55", "res=0  Err=234  (MORE_DATA)", 2,
         {{0, "NumberOfDiskExtents=2  (the bytes hold 1)"}, {1, "#0 DiskNumber=0 Offset=1048576 Length=4096"}}},
        {"C:", extents, "31", "res=0  Err=87  (INVALID_PARAMETER)", 0, {}},
        {"C:", extents, "56", "res=1 dwBytesRet=56", 3,
         {{1, "#0 DiskNumber=0 Offset=1048576 Length=4096"}, {2, "#1 DiskNumber=2 Offset=0 Length=512"}}},
    };
    // clang-format on
    for (const Row& r : rows) {
        SCOPED_TRACE(std::string(r.device) + " " + r.code + " " + r.size);
        Open(std::string("\\\\.\\") + r.device, "0x80000000");
        Press(r.code, "", r.size);
        EXPECT_EQ(Result(), "DeviceIoControl " + r.result);
        // The decoded lines end the list, below the bytes; nothing is shown without bytes.
        const std::size_t shown = frm.lstHexView.count();
        ASSERT_EQ(frm.ioLines.size(), r.count);
        if (r.count == 0) {
            EXPECT_EQ(shown, 0u);
        }
        for (const auto& [i, line] : r.has)
            EXPECT_EQ(frm.lstHexView.itemText(shown - r.count + i), line) << i;
        frm.ctl("cmdCloseHandle").click();
    }
}

TEST_F(AnyRequest, RefusesTextsItCannotSendAndNamesFailures) {
    m.addFile("C:\\a.txt");
    Open("C:\\a.txt", "0x80000000");
    const std::pair<const char*, const char*> rows[] = {
        {"IOCTL_NOPE", "DeviceIoControl Err: Code is not a name in the list"},
        {"0x70050", "DeviceIoControl Err: Input has an odd number of hex digits"},
    };
    for (const auto& [code, line] : rows) {
        Press(code, "1", "4096");
        EXPECT_EQ(Result(), line);
    }
    Press("0x70050", "", "2000000");
    EXPECT_EQ(Result(), "DeviceIoControl Err: Output size is out of range (0 to 1048576)");
    EXPECT_EQ(Count("DeviceIoControl"), 0);
    Press("IOCTL_DISK_GET_DRIVE_LAYOUT_EX", "", "4096");
    EXPECT_EQ(Result(), "DeviceIoControl res=0  Err=1  (INVALID_FUNCTION)");
}

}  // namespace

namespace decoders {

// An answer built field by field; what is not put stays zero.
struct Answer {
    std::vector<std::uint8_t> b;
    explicit Answer(std::size_t size) : b(size) {}
    template <typename T>
    Answer& put(std::size_t at, T v) {
        L::PutAt<T>(b, at, v);
        return *this;
    }
    Answer& wide(std::size_t at, std::string_view s) {
        for (std::size_t i = 0; i < s.size(); ++i)
            put<std::uint16_t>(at + 2 * i, std::uint8_t(s[i]));
        return *this;
    }
    Answer cut(std::size_t size) const {
        Answer a(*this);
        a.b.resize(size);
        return a;
    }
};

// The basic-data type GUID, as its bytes lie.
Answer& BasicData(Answer& a, std::size_t at) {
    return a.put<std::uint32_t>(at, 0xEBD0A0A2)
        .put<std::uint16_t>(at + 4, 0xB9E5)
        .put<std::uint16_t>(at + 6, 0x4433)
        .put<std::uint64_t>(at + 8, 0xC79926B7B668C087);
}

Answer GptLayout(std::uint32_t count, std::size_t entries) {
    Answer a(48 + 144 * entries);
    a.put<std::uint32_t>(0, 1)
        .put<std::uint32_t>(4, count)
        .put<std::int64_t>(24, 17408)
        .put<std::uint32_t>(40, 128);
    for (std::size_t i = 0; i < entries; ++i) {
        const std::size_t e = 48 + 144 * i;
        a.put<std::uint32_t>(e, 1)
            .put<std::int64_t>(e + 8, 1048576)
            .put<std::int64_t>(e + 16, 4096)
            .put<std::uint32_t>(e + 24, std::uint32_t(i + 1));
        BasicData(a, e + 32).wide(e + 72, std::string(36, char('A' + i)));  // no NUL: all 36
    }
    return a;
}

TEST(Decoders, ReadOnlyWhatTheAnswerHolds) {
    auto entry = [](int n, char name) {
        return "Offset=1048576 Length=4096 Number=" + std::to_string(n) +
               " Type={EBD0A0A2-B9E5-4433-87C0-68B6B72699C7} "
               "Id={00000000-0000-0000-0000-000000000000}"
               " Attributes=0x0000000000000000 Name=" +
               std::string(36, name);
    };
    const std::string gptHead =
        "DiskId={00000000-0000-0000-0000-000000000000} StartingUsableOffset=17408"
        " UsableLength=0 MaxPartitionCount=128";
    Answer geometry(112);
    geometry.put<std::int64_t>(0, 10)
        .put<std::uint32_t>(20, 512)
        .put<std::uint32_t>(32, 24)
        .put<std::uint32_t>(36, 1)
        .put<std::uint32_t>(56, 56)
        .put<std::uint32_t>(60, 2);
    struct Row {
        L::DWORD code;
        Answer out;
        std::vector<std::string> lines;
        std::vector<std::uint8_t> in = {};
    };
    const Row rows[] = {
        {L::IOCTL_DISK_GET_DRIVE_LAYOUT_EX,
         GptLayout(2, 2),
         {"PartitionStyle=GPT  Count=2", gptHead, "#1 " + entry(1, 'A'), "#2 " + entry(2, 'B')}},
        // Truncated inside the second entry, a count of 2^31, a head cut short.
        {L::IOCTL_DISK_GET_DRIVE_LAYOUT_EX,
         GptLayout(2, 2).cut(48 + 144 + 100),
         {"PartitionStyle=GPT  Count=2  (the bytes hold 1)", gptHead, "#1 " + entry(1, 'A')}},
        {L::IOCTL_DISK_GET_DRIVE_LAYOUT_EX,
         GptLayout(0x80000000u, 1),
         {"PartitionStyle=GPT  Count=2147483648  (the bytes hold 1)", gptHead,
          "#1 " + entry(1, 'A')}},
        {L::IOCTL_DISK_GET_DRIVE_LAYOUT_EX, GptLayout(1, 1).cut(47), {}},
        // A query of another property answers another structure.
        {L::IOCTL_STORAGE_QUERY_PROPERTY, Answer(64), {}, {1, 0, 0, 0}},
        {L::IOCTL_DISK_GET_DRIVE_GEOMETRY_EX,
         geometry,
         {"Cylinders=10 MediaType=0 TracksPerCylinder=0 SectorsPerTrack=0 BytesPerSector=512 "
          "DiskSize=0",
          "PartitionInfo: Size=24 Style=GPT DiskId={00000000-0000-0000-0000-000000000000}",
          "DetectionInfo: Size=56 Type=EX_INT13"}},
        {L::IOCTL_DISK_GET_DRIVE_GEOMETRY_EX,
         Answer(geometry).put<std::uint32_t>(32, 0xFFFFFFF0),
         {"Cylinders=10 MediaType=0 TracksPerCylinder=0 SectorsPerTrack=0 BytesPerSector=512 "
          "DiskSize=0",
          "PartitionInfo: Size=4294967280 Style=GPT "
          "DiskId={00000000-0000-0000-0000-000000000000}"}},
        {L::FSCTL_GET_NTFS_VOLUME_DATA,
         Answer(20).put<std::uint64_t>(0, 0xABCD).put<std::int64_t>(8, 99),
         {"VolumeSerialNumber=0x000000000000ABCD NumberSectors=99", "BytesPerSector=0",
          "MftValidDataLength=0"}},
        {L::IOCTL_VOLUME_GET_VOLUME_DISK_EXTENTS,
         Answer(56)
             .put<std::uint32_t>(0, 0xFFFFFFFF)
             .put<std::uint32_t>(8, 1)
             .put<std::int64_t>(16, 512)
             .put<std::int64_t>(24, 7)
             .put<std::uint32_t>(32, 2),
         {"NumberOfDiskExtents=4294967295  (the bytes hold 2)",
          "#0 DiskNumber=1 Offset=512 Length=7", "#1 DiskNumber=2 Offset=0 Length=0"}},
        {L::IOCTL_STORAGE_GET_DEVICE_NUMBER, Answer(11), {}},
    };
    for (const Row& r : rows)
        EXPECT_EQ(devctl::DecodeAnswer(r.code, r.in, r.out.b), r.lines) << std::hex << r.code;
    // One entry alone; cut by one byte it is not shown.
    const Answer one = GptLayout(1, 1);
    const std::span<const std::uint8_t> entryBytes(one.b.data() + 48, 144);
    EXPECT_EQ(devctl::DecodeAnswer(L::IOCTL_DISK_GET_PARTITION_INFO_EX, {}, entryBytes),
              std::vector<std::string>{"PartitionStyle=GPT  " + entry(1, 'A')});
    EXPECT_TRUE(devctl::DecodeAnswer(L::IOCTL_DISK_GET_PARTITION_INFO_EX, {}, entryBytes.first(143))
                    .empty());
}

}  // namespace decoders
