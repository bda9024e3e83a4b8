// The lister reading a controller object's document.
#include <gtest/gtest.h>

#include <cstring>

#include "app/document/Kivbase.h"
#include "app/events/Lister.h"
#include "platform/Codepage.h"
#include "tests/app/ListerFixture.h"

namespace {

struct TListerDevice : ::testing::Test {
  TKiv Kiv;
  TEvLister Lister;
  void SetUp() override
  {
    Kiv.SetInstallDir(std::string(KIV_SOURCE_DIR) + "/data");
    Kiv.SetKivType(2);
    Lister.SetDevice(&Kiv);
  }
  void Store(const std::vector<uint8_t>& reg)
  {
    std::memcpy(Kiv.GetEvRegData(), reg.data(), reg.size());
    Kiv.SetEvRegSize(uint16_t(reg.size()));
  }
};

}  // namespace

TEST_F(TListerDevice, ReadsRegisterOptionsAndCorrections)
{
  Store(listerfx::TRegisterBuilder().Clock(2024, 6, 1, 12, 0).Event(0, 4).Bytes());
  Lister.RefreshSequences();
  ASSERT_EQ(Lister.SequenceCount(), 1);
  // Correct I/O times is on by default: code 0 is a DI event, -5 ms.
  EXPECT_EQ(Cp1250ToUtf8(Lister.ListLines()[0]), "Sekwencja nr.1 Data: 2024-06-01 godz: 12:00:00:005");
  TReadOptions o = Kiv.GetReadOptions();
  o[ReadOption::CorrectTimes] = 0;
  o[ReadOption::ShowAllEvents] = 1;
  Kiv.SetReadOptions(o);
  EXPECT_TRUE(Lister.ShowAllEvents());
  Lister.RefreshSequences();
  EXPECT_EQ(Cp1250ToUtf8(Lister.ListLines()[0]), "Sekwencja nr.1 Data: 2024-06-01 godz: 12:00:00:010");
}

TEST_F(TListerDevice, StoredLengthBeyondTheFieldIsClamped)
{
  // The field holds 5120 three-byte records; the stored length claims more.
  std::vector<uint8_t> reg;
  for (int i = 0; i < 5120; ++i)
    reg.insert(reg.end(), {1, 0, 1});
  Store(reg);
  Kiv.SetEvRegSize(20000);
  Lister.ParseRegister(1);
  EXPECT_EQ(Lister.Events().GetColCount(1), 5120);
  EXPECT_EQ(Kiv.GetEvRegSize(), 20000);
}

TEST_F(TListerDevice, NoDeviceMeansNoEvents)
{
  Store(listerfx::TRegisterBuilder().Clock(2024, 6, 1, 12, 0).Event(0, 4).Bytes());
  Lister.RefreshSequences();
  ASSERT_EQ(Lister.Events().RowCount(), 1);
  // Detached, nothing of the old document stays selectable.
  Lister.SetDevice(nullptr);
  Lister.RefreshSequences();
  EXPECT_EQ(Lister.SequenceCount(), 0);
  EXPECT_EQ(Lister.Events().RowCount(), 0);
  EXPECT_FALSE(Lister.ShowAllEvents());
}
