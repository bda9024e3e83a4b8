// Which replies to an event page count. A page may come back with fewer registers than asked
// (the controller's last page), but a reply whose byte count is odd, above what was asked, or
// not what the frame holds is a failed attempt, never data.
#include "app/document/Kivbase.h"

#include <gtest/gtest.h>
#include <fcntl.h>
#include <poll.h>

#include <unistd.h>

#include <string>
#include <vector>

#include "app/link/KivLink.h"
#include "app/document/KivMemo.h"
#include "app/link/Mbusfun.h"
#include "platform/Codepage.h"
#include "platform/SerialPort.h"
#include "tests/app/LinkTestSupport.h"

namespace {

using TLines = std::vector<std::string>;
constexpr uint8_t SLAVE = 0x1F;
constexpr uint16_t FIRST_PAGE_WIRE = 4000;

// A controller on a pseudo-terminal that answers the first event page with a frame the test
// makes and every later page with the exception that ends the register.
class TScriptedController {
public:
  explicit TScriptedController(std::vector<uint8_t> firstPage) : FFirstPage(std::move(firstPage))
  {
    int err = 0;
    EXPECT_TRUE(OpenPtyPair(FMaster, Slave, err)) << err;
    FSlaveSide.Reset(::open(Slave.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC));
    EXPECT_TRUE(FSlaveSide.Valid());
    Pump.OnPump = [this](TFakeClockPump&) { Serve(); };
    SetPump(&Pump);
  }
  ~TScriptedController() { SetPump(nullptr); }

  std::string Slave;
  TFakeClockPump Pump;
  int FirstPageRequests = 0;

private:
  void Serve()
  {
    // A read with nothing queued first finishes the kernel's move of what the program
    // wrote; the reply is waited for on the program's side before its wait goes on.
    uint8_t buf[64];
    for (ssize_t n; (n = ::read(FMaster.Get(), buf, sizeof buf)) > 0;)
      FIn.insert(FIn.end(), buf, buf + n);
    while (FIn.size() >= 8) {
      const uint16_t wire = uint16_t((FIn[2] << 8) | FIn[3]);
      FIn.erase(FIn.begin(), FIn.begin() + 8);
      std::vector<uint8_t> reply;
      if (wire == FIRST_PAGE_WIRE) {
        ++FirstPageRequests;
        reply = FFirstPage;
      } else {
        reply = {SLAVE, 0x83, 2, 0, 0};
        AddCRC(reply, 3);
      }
      WriteAcross(FMaster.Get(), FSlaveSide.Get(), reply);
    }
  }

  TFdHandle FMaster;
  TFdHandle FSlaveSide;  // the program's side, to see the reply arrive there
  std::vector<uint8_t> FIn;
  std::vector<uint8_t> FFirstPage;
};

// A function 3 reply frame: byte count `count`, then `dataBytes` bytes, then a valid check.
std::vector<uint8_t> PageFrame(uint8_t count, size_t dataBytes)
{
  std::vector<uint8_t> f{SLAVE, 3, count};
  for (size_t i = 0; i < dataBytes; ++i)
    f.push_back(uint8_t(i * 7 + 3));
  f.resize(f.size() + 2);
  AddCRC(f, f.size() - 2);
  return f;
}

struct TPageCase {
  const char* name;
  uint8_t count;
  size_t dataBytes;
  size_t kept;  // 0: a failed attempt
};

TEST(KivEventPage, ShortPagesCountAndMalformedOnesDoNot)
{
  const TPageCase cases[] = {
      {"a whole page", 250, 250, 250},
      {"124 registers of 125", 248, 248, 248},
      {"a single register", 2, 2, 2},
      {"odd byte count", 247, 247, 0},
      {"byte count below what the frame holds", 248, 250, 0},
      {"byte count above what the frame holds", 250, 248, 0},
  };
  for (const TPageCase& c : cases) {
    SCOPED_TRACE(c.name);
    TScriptedController controller(PageFrame(c.count, c.dataBytes));
    TTempDir defs;
    WriteDefinitions(defs, "");
    TKivLink link;
    link.Rsd().SetCommPort(controller.Slave);
    link.Rsd().SetReadTotalTimeoutConstant(200);
    ASSERT_EQ(link.Rsd().Open(), 0);
    TCommSettings s;
    s.Time_Out = 200;
    s.TimeSilence = 5;
    ASSERT_TRUE(link.SetSettings(s));
    TKiv kiv;
    kiv.SetInstallDir(defs.Path());
    kiv.SetKivType(1);
    kiv.SetLink(&link);
    TStringsMemo memo;
    kiv.SetMessageMemo(&memo);
    kiv.TraceMessages = false;
    ASSERT_TRUE(kiv.ReadEvReg());

    if (c.kept > 0) {
      EXPECT_EQ(controller.FirstPageRequests, 1);
      EXPECT_EQ(memo.Lines, (TLines{"Odczyt rejestru zdarzeń: "_cp + std::to_string(c.kept) + " bajtów"_cp,
                                    "Znacznik końca"_cp}));
      EXPECT_EQ(kiv.GetEvRegSize(), c.kept);
      const auto sent = PageFrame(c.count, c.dataBytes);
      if (kiv.GetEvRegSize() == c.kept) {
        EXPECT_TRUE(std::equal(kiv.GetEvRegData(), kiv.GetEvRegData() + c.kept, sent.begin() + 3));
      }
    } else {
      EXPECT_EQ(controller.FirstPageRequests, 5);  // the frame was sent, and every retry got it
      ASSERT_FALSE(memo.Lines.empty());
      EXPECT_EQ(memo.Lines.back(), "Brak odpowiedzi , anulowanie odczytu");
      EXPECT_EQ(kiv.GetEvRegSize(), 0);
    }
  }
}

}  // namespace
