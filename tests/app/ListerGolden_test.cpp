// Whole listings of three registers against reviewed listings in tests/app/golden/.
//
// Each listing is every list line, then every sequence's lines, bold lines marked "* ",
// in UTF-8. On a mismatch the actual listing is written to <build>/golden-actual/ for review.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "app/events/Lister.h"
#include "platform/Codepage.h"
#include "platform/NumText.h"
#include "tests/app/ListerFixture.h"

using listerfx::TFixtureDocument;
using listerfx::TRegisterBuilder;

namespace {

// Model 2: a restart sequence and a plain sequence.
std::vector<uint8_t> Model2Register()
{
  TRegisterBuilder b;
  b.Clock(2024, 3, 15, 10, 30)
      .Event(245, 0, {0x00, 0x01})
      // bytes 3-8 voltages, 9 signalling, 10 relays, 11 WB, 12 WR, 13 WA, 14, 15
      .Event(251, 2, {0x0F, 0x0F, 0x0F, 0x0F, 0x0F, 0x0F, 0x00, 0x41, 0x08, 0x1C, 0x34, 0x00, 0x35})
      .Event(0, 40)
      .Event(246, 8, {0x0B, 0x07, 0x00, 0x40, 0x01, 0x0F})
      .Event(247, 3, {0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x20})
      .Event(247, 3, {0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x20})
      .Event(36, 100)
      .Event(39, 3)
      .Event(208, 4)
      .Event(251, 20, {0x0F, 0x0F, 0x0F, 0x0F, 0x0F, 0x0F, 0x02, 0x00, 0x08, 0x1C, 0x34, 0x00, 0x35});
  b.Clock(2024, 3, 15, 11, 0)
      .Event(251, 0, {0x0F, 0x0F, 0x0F, 0x0F, 0x0F, 0x0F, 0x00, 0x00, 0x08, 0x18, 0x14, 0x01, 0x01})
      .Event(4, 1)
      .Event(5, 3)
      .Event(252, 2, {0x9E})
      .Event(253, 10, {1, 0, 15, 11, 15, 3, 24})
      .Event(254, 6, {0x05});
  return b.Bytes();
}

// Model 1: a restart sequence and a plain one, with the seven-level voltage texts.
std::vector<uint8_t> Model1Register()
{
  TRegisterBuilder b;
  b.Clock(2023, 11, 30, 23, 59)
      .Event(245, 0, {0x00, 0x33})
      .Event(251, 1, {0x0F, 0x03, 0x0F, 0x00, 0x28, 0x0F, 0x7F, 0x85, 0x0C, 0x40, 0x06, 0x0F, 0xF5})
      .Event(36, 8)
      .Event(38, 8)
      .Event(246, 400, {0x03, 0x0F, 0x00, 0x40, 0xC3, 0x0F})
      .Event(30, 2)
      .Event(247, 2, {0x00, 0x00, 0x00, 0x00, 0x02, 0x04, 0x06})
      .Event(251, 4, {0x03, 0x03, 0x00, 0x00, 0x00, 0x03, 0x00, 0x01, 0x04, 0x00, 0x08, 0x00, 0x01});
  b.Clock(2023, 12, 1, 0, 5)
      .Event(251, 0, {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0})
      .Event(0, 7)
      .Event(1, 65535);
  return b.Bytes();
}

struct TGoldenCase {
  const char* Name;
  int Model;
  bool ShowAll, SysLogic, StnBelch;
  std::vector<uint8_t> (*Register)();
};

class ListerGolden : public ::testing::TestWithParam<TGoldenCase> {};

TEST_P(ListerGolden, MatchesTheReviewedListing)
{
  const TGoldenCase& c = GetParam();
  listerfx::SetFormats();
  TFixtureDocument doc(c.Model);
  doc.Register = c.Register();
  doc.ShowAll(c.ShowAll);
  doc.SysLogic = c.SysLogic;
  doc.StnBelch = c.StnBelch;
  TEvLister lister;
  lister.SetDocument(&doc);
  std::string actual;
  for (const auto& line : EvWholeListing(lister))
    actual += Cp1250ToUtf8(line) + "\n";

  const std::filesystem::path golden =
      std::filesystem::path(KIV_SOURCE_DIR) / "tests/app/golden" / (std::string(c.Name) + ".txt");
  std::ifstream in(golden, std::ios::binary);
  std::stringstream expected;
  expected << in.rdbuf();
  if (expected.str() != actual) {
    const auto dir = std::filesystem::path(KIV_BINARY_DIR) / "golden-actual";
    std::filesystem::create_directories(dir);
    std::ofstream(dir / (std::string(c.Name) + ".txt"), std::ios::binary) << actual;
  }
  EXPECT_EQ(expected.str(), actual) << "listing written to " << KIV_BINARY_DIR << "/golden-actual/";
}

INSTANTIATE_TEST_SUITE_P(
    Listings, ListerGolden,
    ::testing::Values(TGoldenCase{"model2_normal", 2, false, false, false, Model2Register},
                      TGoldenCase{"model2_showall_syslogic", 2, true, true, false, Model2Register},
                      TGoldenCase{"model1_stn_belch", 1, false, false, true, Model1Register}),
    [](const auto& info) { return std::string(info.param.Name); });

}  // namespace
