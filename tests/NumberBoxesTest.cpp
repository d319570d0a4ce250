// Position and count boxes refuse text that is not one number: a slip must not become a move to
// position 0 that the next Write follows.
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "io/Numbers.h"
#include "tests/HandlerFixture.h"

namespace {

TEST(NumberText, OneWholeNumberInTheGrammarOfTheCountBoxes) {
    const std::pair<const char*, std::optional<double>> rows[] = {{"0x200", 512},
                                                                  {"1e3", 1000},
                                                                  {"-1", -1},
                                                                  {"2.5", 2.5},
                                                                  {"  7\t", 7},
                                                                  {"+5", 5},
                                                                  {"5.", 5},
                                                                  {".5", 0.5},
                                                                  {"1 000", 1000},
                                                                  {"1E+2", 100},
                                                                  {"0xFFFFFFFF", -1},
                                                                  {"2d2", 200},
                                                                  {"", std::nullopt},
                                                                  {"   ", std::nullopt},
                                                                  {"&H10", std::nullopt},
                                                                  {".5x", std::nullopt},
                                                                  {"\xC3\xA9", std::nullopt},
                                                                  {"0x0x10", std::nullopt},
                                                                  {"12abc", std::nullopt},
                                                                  {"0x", std::nullopt},
                                                                  {"1e", std::nullopt},
                                                                  {"-", std::nullopt},
                                                                  {".", std::nullopt},
                                                                  {" 0x10", 16},
                                                                  {"1-", std::nullopt}};
    for (const auto& [text, value] : rows) EXPECT_EQ(io::NumberText(text), value) << text;
    EXPECT_EQ(io::NumberText(std::string("1\0", 2)), std::nullopt) << "a NUL inside";
}

class NumberBoxes : public HandlerTest {};

TEST_F(NumberBoxes, TextThatIsNotANumberMakesNoCall) {
    m.addFile("C:\\n.bin", std::string(4096, 'n'));
    Params("C:\\n.bin", "0xC0000000", 3);
    frm.cmdCreateFile.click();
    ASSERT_EQ(Result(), "CreateFile success");
    m.clearCalls();
    for (const char* slip : {"", "&H10", ".5x", "\xC3\xA9", "0x0x10", "12abc"}) {
        frm.txtPosHigh.setText("0");
        frm.txtPosLow.setText(slip);
        frm.cmdSetFilePointer.click();
        EXPECT_EQ(Result(), "SetFilePointer Err: PosLow is not a number") << slip;
        EXPECT_EQ(frm.txtPosLow.text(), slip);
        frm.txtPosLow.setText("0");
        frm.txtPosHigh.setText(slip);
        frm.cmdSetFilePointer.click();
        EXPECT_EQ(Result(), "SetFilePointer Err: PosHigh is not a number") << slip;
        frm.txtCount.setText(slip);
        frm.cmdRead.click();
        EXPECT_EQ(Result(), "ReadFile Err: Count is not a number") << slip;
        frm.cmdWrite.click();
        EXPECT_EQ(Result(), "WriteFile Err: Count is not a number") << slip;
    }
    EXPECT_TRUE(m.calls().empty()) << m.toString();

    // Numbers keep their reading: hex, exponent, rounding half to even.
    frm.txtPosHigh.setText(" 0 ");
    frm.txtPosLow.setText("0x200");
    frm.cmdSetFilePointer.click();
    EXPECT_EQ(frm.lblFilePos.text(), "Pos: 0x200 (512)");
    frm.txtPosLow.setText("1e3");
    frm.cmdSetFilePointer.click();
    EXPECT_EQ(frm.lblFilePos.text(), "Pos: 0x3E8 (1000)");
    frm.txtCount.setText("2.5");
    frm.cmdRead.click();
    EXPECT_EQ(Result(), "ReadFile res=1 dwBytesRead=2");
    frm.txtCount.setText("-1");
    frm.cmdRead.click();
    EXPECT_EQ(Result(), "Err: wrong read count");
}

}  // namespace
