#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <set>
#include <string>

#include "core/basic_types.h"
#include "core/numbers.h"
#include "core/random.h"

namespace kalo {
namespace {

TEST(Rounding, CIntAndCLngRoundHalfToEvenAndSaturate) {
  EXPECT_EQ(CInt(0.5), 0);
  EXPECT_EQ(CInt(1.5), 2);
  EXPECT_EQ(CInt(2.5), 2);
  EXPECT_EQ(CInt(-2.5), -2);
  EXPECT_EQ(CInt(-3.5), -4);
  EXPECT_EQ(CInt(2.4999), 2);
  EXPECT_EQ(CInt(1e9), 32767);
  EXPECT_EQ(CInt(-1e9), -32768);
  EXPECT_EQ(CLng(16711680.0), 16711680);
  EXPECT_EQ(CLng(1e20), 2147483647);
  EXPECT_EQ(CLng(-1e20), -2147483647 - 1);
  EXPECT_EQ(CLng(std::numeric_limits<double>::quiet_NaN()), 0);
}

TEST(Rounding, IntIsTheFloor) {
  EXPECT_EQ(Int(2.9), 2);
  EXPECT_EQ(Int(-0.1), -1);
  EXPECT_EQ(Int(-2.0), -2);
}

TEST(RecordText, WholeNumbersCarryABlankOrAMinus) {
  EXPECT_EQ(StrInt(13), " 13");
  EXPECT_EQ(StrInt(0), " 0");
  EXPECT_EQ(StrInt(-1), "-1");
  EXPECT_EQ(StrInt(16711680), " 16711680");
}

TEST(RecordText, SinglesKeepSevenDigitsWithoutLeadingZero) {
  EXPECT_EQ(StrSingle(0.75f), " .75");
  EXPECT_EQ(StrSingle(0.25f), " .25");
  EXPECT_EQ(StrSingle(0.5f), " .5");
  EXPECT_EQ(StrSingle(4.0f / 3.0f), " 1.333333");
  EXPECT_EQ(StrSingle(1.0f), " 1");
  EXPECT_EQ(StrSingle(260.0f), " 260");
  EXPECT_EQ(StrSingle(-0.5f), "-.5");
  EXPECT_EQ(StrSingle(-12.25f), "-12.25");
  EXPECT_EQ(StrSingle(0.0f), " 0");
  EXPECT_EQ(StrSingle(1920.0f / 1080.0f), " 1.777778");
  EXPECT_EQ(StrSingle(1.04f), " 1.04");
  EXPECT_EQ(StrSingle(1e8f), " 1E+08");
}

TEST(RecordText, ReadSingleTakesBackWhatStrSingleWritesAndNothingElse) {
  for (float v : {0.75f, 12.25f, 260.0f, 1e8f, 1.5e-7f})
    EXPECT_EQ(ReadSingle(StrSingle(v).substr(1)), v) << StrSingle(v);
  EXPECT_EQ(ReadSingle("1.333333"), 1.333333f);  // the nearest Single
  EXPECT_EQ(ReadSingle("-.5"), -0.5f);
  for (const char* text : {"", "1.5x", " 1", "+1", "0x10", "1,5", "3.5E+38", "1E-46", "nan", "inf"})
    EXPECT_FALSE(ReadSingle(text)) << '"' << text << '"';
}

TEST(SettingsText, NoLeadingBlank) {
  EXPECT_EQ(SettingsNumberText(0), "0");
  EXPECT_EQ(SettingsNumberText(999), "999");
}

TEST(Val, ReadsTheLeadingNumber) {
  EXPECT_EQ(Val("12ms"), 12);
  EXPECT_EQ(Val("1 2"), 12);
  EXPECT_EQ(Val("\t 255"), 255);
  EXPECT_EQ(Val("-7.5x"), -7.5);
  EXPECT_EQ(Val("+3"), 3);
  EXPECT_EQ(Val(".5"), 0.5);
  EXPECT_EQ(Val("1.5e2"), 150);
  EXPECT_EQ(Val("2D1"), 20);
  EXPECT_EQ(Val("3e"), 3);
  EXPECT_EQ(Val(std::string("42\0junk", 7)), 42);
}

TEST(Val, NoDigitsGivesZero) {
  EXPECT_EQ(Val(""), 0);
  EXPECT_EQ(Val("ms12"), 0);
  EXPECT_EQ(Val("-"), 0);
  EXPECT_EQ(Val("."), 0);
  EXPECT_EQ(Val("e5"), 0);
}

TEST(Val, HugeExponentsStayFinite) {
  EXPECT_TRUE(std::isfinite(Val("1e999999")));
  EXPECT_EQ(CLng(Val("99999999999999999999")), 2147483647);
}

// Qt takes on the user's locale; a German one must not put commas in records.
TEST(RecordText, PointWhateverTheUsersLocale) {
  const std::string dir = testing::TempDir() + "kalo-locale";
  const std::string make = "localedef -i de_DE -f UTF-8 " + dir + "/de_DE.UTF-8 >/dev/null 2>&1";
  ASSERT_EQ(std::system(("mkdir -p " + dir + " && " + make).c_str()), 0) << "localedef failed";
  setenv("LOCPATH", dir.c_str(), 1);
  ASSERT_TRUE(std::setlocale(LC_ALL, "de_DE.UTF-8"));
  ASSERT_STREQ(std::localeconv()->decimal_point, ",");  // the locale really bites
  EXPECT_EQ(StrSingle(1.25f), " 1.25");
  EXPECT_EQ(StrSingle(-0.5f), "-.5");
  EXPECT_EQ(Val("1.5"), 1.5);
  EXPECT_EQ(Val("2,5"), 2);
  EXPECT_EQ(ReadSingle("1.25"), 1.25f);
  std::setlocale(LC_ALL, "C");
  unsetenv("LOCPATH");
}

TEST(Colours, QBColorGivesTheClassicSixteen) {
  EXPECT_EQ(QBColor(0), 0);
  EXPECT_EQ(QBColor(4), RGB(128, 0, 0));
  EXPECT_EQ(QBColor(7), RGB(192, 192, 192));
  EXPECT_EQ(QBColor(15), 0xFFFFFF);
  EXPECT_EQ(RGB(255, 0, 0), 255);
  EXPECT_EQ(RGB(0, 0, 300), 255 * 65536);
}

TEST(Random, StaysInTheHalfOpenUnitRangeAndSpreads) {
  SystemRandom rnd(12345);
  std::set<int> tenths;
  for (int i = 0; i < 100000; ++i) {
    Single r = rnd.Rnd();
    ASSERT_GE(r, 0.0f);
    ASSERT_LT(r, 1.0f);
    tenths.insert(static_cast<int>(r * 10));
  }
  EXPECT_EQ(tenths.size(), 10u);
  SystemRandom a(7), b(7);
  EXPECT_EQ(a.Rnd(), b.Rnd());
}

}  // namespace
}  // namespace kalo
