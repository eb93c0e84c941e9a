#include "records/layout.h"

#include <gtest/gtest.h>

#include <array>
#include <bit>
#include <string>

#include "tests/fake_os.h"
#include "tests/test_util.h"

namespace tsf {
namespace {

using testing::FakeOs;

constexpr LayoutItem kMonthLine[] = {Skip(4), Repeat(3, Dec(6, 1))};
constexpr LayoutItem kYearLine[] = {Int(4)};

TEST(ReadLayoutTest, MonthlyLines) {
  const struct {
    const char* record;
    float mean, maximum, minimum;
  } cases[] = {
      {"Jan 12.3,18.9,5.1", 12.3F, 18.9F, 5.1F},
      {"Jan  12.3,18.9,5.1", 12.3F, 18.9F, 5.1F},
      {"Jan  12.3  18.9", 12.3F, 18.9F, 0.0F},
      {"Jan  12.3  18.9    5", 12.3F, 18.9F, 0.5F},
      {"Jan", 0.0F, 0.0F, 0.0F},
      {"", 0.0F, 0.0F, 0.0F},
      {"Jan   12.3  18.9   5.1 and a remark", 12.3F, 18.9F, 5.1F},
  };
  for (const auto& c : cases) {
    float mean = -1;
    float maximum = -1;
    float minimum = -1;
    ASSERT_EQ(ReadLayout(c.record, kMonthLine, {mean, maximum, minimum}), IoStatus::kOk);
    EXPECT_EQ(mean, c.mean) << c.record;
    EXPECT_EQ(maximum, c.maximum) << c.record;
    EXPECT_EQ(minimum, c.minimum) << c.record;
  }
}

TEST(ReadLayoutTest, YearLines) {
  const struct {
    const char* record;
    std::int32_t year;
  } cases[] = {
      {" 1996", 199}, {"1996,5", 1996},        {"1,23", 1}, {",123", 0}, {"19", 19},
      {"", 0},        {"1996 and more", 1996},
  };
  for (const auto& c : cases) {
    std::int32_t year = -1;
    ASSERT_EQ(ReadLayout(c.record, kYearLine, {year}), IoStatus::kOk);
    EXPECT_EQ(year, c.year) << c.record;
  }
}

TEST(ReadLayoutTest, TextFieldsIntoFixedLengthTexts) {
  const struct {
    const char* record;
    LayoutItem item;
    std::size_t length;
    const char* text;
  } cases[] = {
      {"", Text(3), 3, "   "},           {"Janu", Text(3), 3, "Jan"},
      {"abcde", Text(5), 3, "cde"},      {"abcd", Text(5), 3, "cd "},
      {"ab", Text(5), 3, "   "},         {"abc", Text(2), 3, "ab "},
      {"0123456789", Text(), 4, "0123"}, {"01", Text(), 4, "01  "},
      {"a,b", Text(3), 3, "a,b"},  // no comma rule for text
  };
  for (const auto& c : cases) {
    std::string text(c.length, '?');
    const LayoutItem layout[] = {c.item};
    ASSERT_EQ(ReadLayout(c.record, layout, {std::span<char>(text)}), IoStatus::kOk);
    EXPECT_EQ(text, c.text) << c.record;
  }
  std::array<char, 40> infl{};
  const LayoutItem whole[] = {Text()};
  const std::string typed = "abcdefghijklmnopqrstuvwxyz0123456789ABCDEFGHI";
  ASSERT_EQ(ReadLayout(typed, whole, {std::span<char>(infl)}), IoStatus::kOk);
  EXPECT_EQ(std::string(infl.data(), 40), typed.substr(0, 40));
}

TEST(ReadLayoutTest, RejectedFieldEndsTheReadWhereItStands) {
  float mean = -1;
  float maximum = -1;
  float minimum = -1;
  EXPECT_EQ(ReadLayout("Jan  12.3  1x.9   5.1", kMonthLine, {mean, maximum, minimum}),
            IoStatus::kError);
  EXPECT_EQ(mean, 12.3F);     // converted before the bad field
  EXPECT_EQ(maximum, -1.0F);  // the bad field and those after it keep their values
  EXPECT_EQ(minimum, -1.0F);
}

class LayoutOnUnitsTest : public ::testing::Test {
 protected:
  LayoutOnUnitsTest() { EXPECT_TRUE(units_.console().AttachConsole().ok()); }

  std::string Written(RecordLayout layout, std::initializer_list<OutItem> items) {
    os_.console_output.clear();
    EXPECT_TRUE(WriteLayout(units_.console(), layout, items).ok());
    return os_.console_output;
  }

  FakeOs os_;
  Units units_{os_};
  testing::TempFolder folder_;
};

TEST_F(LayoutOnUnitsTest, WritesBuildTheirRecords) {
  constexpr LayoutItem kPrompt[] = {EndRecord, Skip(1), Lit("Enter input file name : "), NoAdvance};
  constexpr LayoutItem kYearEcho[] = {Skip(1), Int(4)};
  constexpr LayoutItem kTrailingSkip[] = {Int(4), Skip(3)};
  constexpr LayoutItem kSkipBetween[] = {Text(1), Skip(3), Text(1)};
  constexpr LayoutItem kEndLine[] = {Skip(1), Lit("Normal Termination of Program")};
  constexpr LayoutItem kText2[] = {Text(2)};
  constexpr LayoutItem kText5[] = {Text(5)};
  constexpr LayoutItem kTwoRecords[] = {Int(4), EndRecord, Int(4)};
  constexpr LayoutItem kHeader[] = {Skip(1), Lit("Khasadrupchu Bhutan   "), Text(),
                                    Lit(" degrees c.")};
  constexpr LayoutItem kRow[] = {Int(4), Repeat(3, Dec(6, 1))};
  EXPECT_EQ(Written(kPrompt, {}), "\n Enter input file name : ");
  EXPECT_EQ(Written(kYearEcho, {1996}), " 1996\n");
  EXPECT_EQ(Written(kTrailingSkip, {7}), "   7\n");
  EXPECT_EQ(Written(kSkipBetween, {std::string_view("a"), std::string_view("b")}), "a   b\n");
  EXPECT_EQ(Written(kEndLine, {}), " Normal Termination of Program\n");
  EXPECT_EQ(Written(kText2, {std::string_view("abc")}), "ab\n");
  EXPECT_EQ(Written(kText5, {std::string_view("abc")}), "  abc\n");
  EXPECT_EQ(Written(kTwoRecords, {1, 2}), "   1\n   2\n");
  EXPECT_EQ(Written(kHeader, {std::string_view("ave.tmp   ")}),
            " Khasadrupchu Bhutan   ave.tmp    degrees c.\n");
  EXPECT_EQ(Written(kRow, {1996, -99.9F, 12.25F, std::bit_cast<float>(0xFFFFFFFFU)}),
            "1996 -99.9  12.3  -NaN\n");
}

TEST_F(LayoutOnUnitsTest, ReadsTakeOneRecordAndRouteTheirOutcomes) {
  testing::WriteFile(folder_ / "in", "1996 rest\n19x6\n");
  ASSERT_TRUE(units_.Connect(69, folder_ / "in", OpenStatus::kOld).ok());
  RecordUnit& in = *units_.Find(69);
  std::int32_t year = 0;
  IoStatus io = IoStatus::kError;
  ASSERT_TRUE(ReadLayout(in, kYearLine, {year}, {}, &io).ok());
  EXPECT_EQ(io, IoStatus::kOk);
  EXPECT_EQ(year, 1996);
  // The rest of a record is never used: the next read takes the next record.
  Status unrouted = ReadLayout(in, kYearLine, {year});
  ASSERT_TRUE(unrouted.failed());
  EXPECT_EQ(unrouted.failure().Report(),
            "? Record I/O run-time error:\n? Illegal character in numeric input\n"
            "? READ(UNIT=69,...\n");
  EXPECT_EQ(year, 1996);
  ASSERT_TRUE(ReadLayout(in, kYearLine, {year}, {.end = true}, &io).ok());
  EXPECT_EQ(io, IoStatus::kEnd);
  unrouted = ReadLayout(in, kYearLine, {year}, {.error = true}, &io);
  ASSERT_TRUE(unrouted.failed());
  EXPECT_EQ(unrouted.failure().Report(),
            "? Record I/O run-time error:\n? Attempt to read past end of file\n"
            "? READ(UNIT=69,...\n");
  // A failed record read goes to the error route when there is one.
  os_.FailAt(testing::Call::kRead, os_.calls(testing::Call::kRead) + 1, EIO);
  ASSERT_TRUE(ReadLayout(in, kYearLine, {year}, {.end = true, .error = true}, &io).ok());
  EXPECT_EQ(io, IoStatus::kError);
}

TEST(TextValuesTest, AssignAndJoin) {
  std::array<char, 6> text{};
  AssignText(text, "abc");
  EXPECT_EQ(std::string(text.data(), text.size()), "abc   ");
  AssignText(text, "abcdefgh");
  EXPECT_EQ(std::string(text.data(), text.size()), "abcdef");
  AssignText(text, "");
  EXPECT_EQ(std::string(text.data(), text.size()), "      ");
  EXPECT_EQ(JoinText("station.txt", "_tsf"), "station.txt_tsf");
  EXPECT_EQ(JoinText("", "_tsf"), "_tsf");
}

}  // namespace
}  // namespace tsf
