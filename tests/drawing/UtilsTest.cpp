#include "drawing/Utils.h"

#include <gtest/gtest.h>

TEST(BitPattern, BinToIntReadsBinaryAndDigitValues) {
    EXPECT_EQ(BinToInt("101"), 5);
    EXPECT_EQ(BinToInt(""), 0);
    EXPECT_EQ(BinToInt("0001"), 1);
    // Every character counts with its decimal value times its weight.
    EXPECT_EQ(BinToInt("21"), 5);
}

TEST(BitPattern, BinToIntKeepsTheLow32Bits) {
    EXPECT_EQ(BinToInt(QString(31, u'1')), 2147483647);
    EXPECT_EQ(BinToInt(QString(32, u'1')), -1);
    EXPECT_EQ(BinToInt("1" + QString(32, u'0')), 0);
    EXPECT_EQ(BinToInt(QString(40, u'1')), -1);
}

TEST(BitPattern, BinToIntRefusesNonDigits) {
    EXPECT_THROW(BinToInt("1x1"), EConvertError);
    EXPECT_THROW(BinToInt(" 1"), std::invalid_argument);
    EXPECT_THROW(BinToInt("A"), EConvertError);
}

TEST(BitPattern, IntToBinPadsButNeverCuts) {
    EXPECT_EQ(IntToBin(5, 4), "0101");
    EXPECT_EQ(IntToBin(0, 3), "000");
    EXPECT_EQ(IntToBin(19, 4), "10011");
    EXPECT_EQ(IntToBin(0, 0), "");
    EXPECT_EQ(IntToBin(6, 2), "110");
    EXPECT_EQ(IntToBin(-3, 2), "00");
    EXPECT_EQ(IntToBin(4294967295, 0), QString(32, u'1'));
}

TEST(BitPattern, BinToHexGroupsFromTheRight) {
    EXPECT_EQ(BinToHex("10110"), "16");
    EXPECT_EQ(BinToHex("1111"), "F");
    EXPECT_EQ(BinToHex(""), "");
    EXPECT_EQ(BinToHex("1"), "1");
    EXPECT_EQ(BinToHex("10000"), "10");
    EXPECT_EQ(BinToHex("1010101111001101"), "ABCD");
}

TEST(BitPattern, BinToHexSkipsOtherCharacters) {
    EXPECT_EQ(BinToHex("1 1 1 1"), "F");
    // Characters left over after the last full group still start a digit.
    EXPECT_EQ(BinToHex("x1111"), "0F");
    EXPECT_EQ(BinToHex("x"), "0");
}

TEST(BitPattern, HexToBinGivesFourBitsPerDigit) {
    EXPECT_EQ(HexToBin("1F"), "00011111");
    EXPECT_EQ(HexToBin("a0"), "10100000");
    EXPECT_EQ(HexToBin(""), "");
    EXPECT_EQ(BinToInt(HexToBin("ff")), 255);
    EXPECT_EQ(BinToHex(HexToBin("C0DE")), "C0DE");
}
