// Box texts to list cells and back, and the limits of the boxes, as plain
// functions.
#include <gtest/gtest.h>

#include "ui/AddressBoxes.h"

namespace kip {
namespace {

TEST(AddressBoxesTest, CellsAreComposedFromEachBoxsNumber) {
  struct Case {
    BoxTexts boxes;
    const wchar_t* address;
  };
  const Case cases[] = {
      {{L"192", L"168", L"000", L"1"}, L"192.168.0.1"},
      // Empty and non-numeric boxes count as 0, leading zeros go.
      {{L"010", L"0", L"", L"x"}, L"10.0.0.0"},
      {{L"1a", L" 7", L"+3", L"-1"}, L"0.7.3.-1"},
      // No range test: what the boxes say reaches the list.
      {{L"300", L"9999", L"256", L"255"}, L"300.9999.256.255"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ComposeAddress(c.boxes, 0), c.address);
    BoxTexts shifted = {L"", L"", L"", L""};
    shifted.insert(shifted.end(), c.boxes.begin(), c.boxes.end());
    EXPECT_EQ(ComposeAddress(shifted, 4), c.address) << "the second group";
  }
  EXPECT_EQ(ComposeNumber(L""), L"0");  // an emptied metric box
  EXPECT_EQ(ComposeNumber(L"0020"), L"20");
  EXPECT_EQ(ComposeNumber(L"x1"), L"0");
}

TEST(AddressBoxesTest, DottedTextIsSpreadOverTheGroupFromItsFirstBox) {
  struct Case {
    BoxTexts before;
    const wchar_t* text;
    size_t first;
    size_t groupSize;
    BoxTexts after;
  };
  const BoxTexts four = {L"9", L"9", L"9", L"9"};
  const BoxTexts eight = {L"9", L"9", L"9", L"9", L"8", L"8", L"8", L"8"};
  const Case cases[] = {
      {four, L"192.168.0.1", 0, 4, {L"192", L"168", L"0", L"1"}},
      {four, L"1.2.3", 0, 4, {L"1", L"2", L"3", L""}},
      {four, L"", 0, 4, {L"", L"", L"", L""}},
      {four, L"1..3", 0, 4, {L"1", L"", L"3", L""}},
      {four, L"1.2.3.4.5", 0, 4, {L"1", L"2", L"3", L"4"}},  // past the last box: dropped
      {eight, L"255.255.0.0", 4, 4, {L"9", L"9", L"9", L"9", L"255", L"255", L"0", L"0"}},
      // The metric box of the gateway dialog is a group of one.
      {{L"9", L"9", L"9", L"9", L"7"}, L"1", 4, 1, {L"9", L"9", L"9", L"9", L"1"}},
      {{L"9", L"9", L"9", L"9", L"7"}, L"1.2", 4, 1, {L"9", L"9", L"9", L"9", L"1"}},
      // Only the group is emptied; further text spills into the next box.
      {eight, L"1.2.3.4.5", 0, 4, {L"1", L"2", L"3", L"4", L"85", L"8", L"8", L"8"}},
  };
  for (const Case& c : cases) {
    BoxTexts boxes = c.before;
    FillBoxTexts(boxes, c.text, c.first, c.groupSize);
    EXPECT_EQ(boxes, c.after) << c.text << " from box " << c.first + 1;
  }
}

TEST(AddressBoxesTest, LimitsRefuseTheFirstBoxOutsideItsRange) {
  const std::vector<BoxLimit> address = AddressLimits();
  const std::vector<BoxLimit> mask = MaskLimits();
  const BoxLimit metric[] = {MetricLimit()};
  struct Case {
    std::span<const BoxLimit> limits;
    BoxTexts boxes;
    std::optional<size_t> refused;
    const wchar_t* message;
  };
  const Case cases[] = {
      {address, {L"223", L"255", L"255", L"254"}, std::nullopt, L""},
      {address, {L"0", L"0", L"0", L"1"}, std::nullopt, L""},
      {address, {L"224", L"0", L"0", L"1"}, 0, L"IPアドレスは 0から223までです."},
      {address, {L"10", L"256", L"0", L"1"}, 1, L"IPアドレスは 0から255までです."},
      {address, {L"10", L"0", L"-1", L"1"}, 2, L"IPアドレスは 0から255までです."},
      {address, {L"10", L"0", L"0", L"0"}, 3, L"IPアドレスは 1から254までです."},
      {address, {L"10", L"0", L"0", L""}, 3, L"IPアドレスは 1から254までです."},
      {address, {L"10", L"0", L"0", L"255"}, 3, L"IPアドレスは 1から254までです."},
      {address, {L"999", L"999", L"0", L"0"}, 0, L"IPアドレスは 0から223までです."},
      {mask, {L"255", L"255", L"255", L"255"}, std::nullopt, L""},
      {mask, {L"255", L"255", L"0", L"256"}, 3, L"IPアドレスは 0から255までです."},
      {metric, {L"1"}, std::nullopt, L""},
      {metric, {L"9999"}, std::nullopt, L""},
      {metric, {L""}, 0, L"メトリックは 1以上です."},
      {metric, {L"x"}, 0, L"メトリックは 1以上です."},
      {metric, {L"10000"}, 0, L"メトリックは 1から9999までです."},
  };
  for (const Case& c : cases) {
    std::optional<RangeFailure> failure = FirstOutOfRange(c.boxes, c.limits);
    std::wstring boxes = c.boxes.front() + L"…" + c.boxes.back();
    ASSERT_EQ(failure.has_value(), c.refused.has_value()) << boxes;
    if (!failure) continue;
    EXPECT_EQ(failure->box, *c.refused) << boxes;
    EXPECT_EQ(failure->message, c.message) << boxes;
  }
}

}  // namespace
}  // namespace kip
