// kivprobe read and write against kivsim, both as programs, over a pseudo-terminal and TCP.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "app/document/Kivbase.h"
#include "tests/app/LinkTestSupport.h"
#include "tests/sim/KivSimProcess.h"

namespace {

const std::string KIVSIM = std::string(KIV_BINARY_DIR) + "/tests/sim/kivsim";
const std::string KIVPROBE = std::string(KIV_BINARY_DIR) + "/tests/tools/kivprobe";
const std::string DEFS = std::string(KIV_SOURCE_DIR) + "/data";

std::vector<uint8_t> Pattern(size_t n, unsigned seed)
{
  std::vector<uint8_t> v(n);
  for (size_t i = 0; i < n; ++i)
    v[i] = uint8_t((i * (seed | 1)) ^ (i >> 7) ^ seed);
  return v;
}

void WriteBytes(const std::string& path, const std::vector<uint8_t>& b)
{
  std::ofstream(path, std::ios::binary) << std::string(b.begin(), b.end());
}

std::vector<uint8_t> ReadBytes(const std::string& path)
{
  std::ifstream f(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
}

struct TRun {
  int Code = -1;
  std::string Out;
};

TRun Probe(std::vector<std::string> args)
{
  args.insert(args.begin(), KIVPROBE);
  TChildProcess p;
  TRun r;
  if (!p.Start(args))
    return r;
  r.Code = p.StopKeepingOutput(r.Out, 30000);
  return r;
}

class KivprobeLink : public ::testing::Test {
protected:
  void SetUp() override
  {
    ASSERT_TRUE(std::filesystem::exists(KIVSIM));
    ASSERT_TRUE(std::filesystem::exists(KIVPROBE));
    WriteBytes(Dir.File("ev.bin"), Events);
    WriteBytes(Dir.File("s1.bin"), Set1);
    WriteBytes(Dir.File("s2.bin"), Set2);
  }

  bool StartSim(std::vector<std::string> extra = {})
  {
    std::vector<std::string> args{"--events",    Dir.File("ev.bin"), "--set1",  Dir.File("s1.bin"),
                                  "--set2",      Dir.File("s2.bin"), "--ident", "K3TEST-99",
                                  "--dump-sets", Dir.Path()};
    args.insert(args.end(), extra.begin(), extra.end());
    return Sim.Start(KIVSIM, args);
  }

  std::vector<std::string> Transport(bool tcp) const
  {
    if (tcp)
      return {"--tcp", "127.0.0.1:" + std::to_string(Sim.TcpPort)};
    return {"--serial", Sim.Pty};
  }

  TTempDir Dir;
  TKivSimProcess Sim;
  std::vector<uint8_t> Events = Pattern(3000, 7);
  std::vector<uint8_t> Set1 = Pattern(512, 11);
  std::vector<uint8_t> Set2 = Pattern(512, 13);
};

TEST_F(KivprobeLink, ReadOverBothTransportsThenWriteASet)
{
  ASSERT_TRUE(StartSim());
  const std::string expected = "Identyfikacja automatu:KIVS-3\n"
                               "Odczyt zestawu nastaw 1 :OK\n"
                               "Odczyt zestawu nastaw 2 :OK\n"
                               "Odczyt rejestru zdarzeń: 3000 bajtów\n"
                               "Znacznik końca\n";
  for (bool tcp : {true, false}) {
    SCOPED_TRACE(tcp ? "tcp" : "serial");
    const std::string out = Dir.File(tcp ? "tcp.kiv" : "rtu.kiv");
    std::vector<std::string> args{"read"};
    const auto t = Transport(tcp);
    args.insert(args.end(), t.begin(), t.end());
    args.insert(args.end(), {"--silence", "0", "--timeout", "200", "--install-dir", DEFS, "-o", out});
    const TRun r = Probe(args);
    EXPECT_EQ(r.Code, 0);
    EXPECT_EQ(r.Out, expected);
    TKiv kiv;
    kiv.SetInstallDir(DEFS);
    ASSERT_TRUE(kiv.LoadFromFile(out));
    EXPECT_EQ(kiv.GetKivType(), 2);
    EXPECT_EQ(kiv.GetIdent(), "K3TEST-99");
    ASSERT_EQ(kiv.GetZns1Size(), 238);
    ASSERT_EQ(kiv.GetZns2Size(), 238);
    EXPECT_TRUE(std::equal(Set1.begin(), Set1.begin() + 238, kiv.GetZns1Data()));
    EXPECT_TRUE(std::equal(Set2.begin(), Set2.begin() + 238, kiv.GetZns2Data()));
    ASSERT_EQ(kiv.GetEvRegSize(), 3000);
    EXPECT_TRUE(std::equal(Events.begin(), Events.end(), kiv.GetEvRegData()));
  }
  // The two documents differ only in their creation time.
  auto a = ReadBytes(Dir.File("tcp.kiv")), b = ReadBytes(Dir.File("rtu.kiv"));
  ASSERT_EQ(a.size(), KivImage::SIZE);
  ASSERT_EQ(b.size(), KivImage::SIZE);
  std::fill_n(a.begin() + KivImage::CREATE_DATE, 8, 0);
  std::fill_n(b.begin() + KivImage::CREATE_DATE, 8, 0);
  EXPECT_EQ(a, b);

  std::vector<std::string> args{"write"};
  const auto t = Transport(false);
  args.insert(args.end(), t.begin(), t.end());
  args.insert(args.end(), {"--silence", "0", "--timeout", "100", "--install-dir", DEFS, "--from",
                           Dir.File("tcp.kiv"), "--command", "ZNS2_1"});
  const TRun w = Probe(args);
  EXPECT_EQ(w.Code, 0);
  EXPECT_EQ(w.Out, "Zapis zestawu nastaw 2 do 1: OK\n");
  std::string rest;
  EXPECT_EQ(Sim.Process.StopKeepingOutput(rest), 0);
  const auto landed = ReadBytes(Dir.File("set1.bin"));
  ASSERT_EQ(landed.size(), 512u);
  EXPECT_TRUE(std::equal(Set2.begin(), Set2.begin() + 238, landed.begin()));
  EXPECT_TRUE(std::equal(Set1.begin() + 238, Set1.end(), landed.begin() + 238));  // the rest stays
}

TEST_F(KivprobeLink, FailedReadSavesNothing)
{
  ASSERT_TRUE(StartSim({"--fault", simfault::IdentNeverAnswered}));
  const std::string out = Dir.File("none.kiv");
  const TRun r = Probe(
      {"read", "--serial", Sim.Pty, "--silence", "0", "--timeout", "50", "--install-dir", DEFS, "-o", out});
  EXPECT_EQ(r.Code, 1);
  EXPECT_EQ(r.Out, "Identyfikacja automatu:\n"
                   " ponawianie transmisji\n ponawianie transmisji\n ponawianie transmisji\n"
                   " ponawianie transmisji\nBrak odpowiedzi , anulowanie odczytu\n");
  EXPECT_FALSE(std::filesystem::exists(out));
  std::string rest;
  EXPECT_EQ(Sim.Process.StopKeepingOutput(rest), 0);
  EXPECT_EQ(rest, "requests 5\nfault silence@ident/5 played 5\n");
}

TEST_F(KivprobeLink, BadArguments)
{
  const std::vector<std::vector<std::string>> cases = {
      {"read", "-o", Dir.File("x.kiv")},
      {"read", "--tcp", "localhost:502", "-o", Dir.File("x.kiv")},
      {"read", "--tcp", "127.0.0.1:0", "-o", Dir.File("x.kiv")},
      {"read", "--tcp", "127.0.0.1:502", "--serial", "/dev/null", "-o", Dir.File("x.kiv")},
      {"read", "--serial", "/dev/ttyS0", "--speed", "13", "-o", Dir.File("x.kiv")},
      {"write", "--tcp", "127.0.0.1:502", "--from", Dir.File("x.kiv"), "--command", "ZNS3_1"},
  };
  for (const auto& c : cases) {
    const TRun r = Probe(c);
    EXPECT_EQ(r.Code, 2) << c[1] << " " << c[2];
    EXPECT_TRUE(r.Out.empty());
  }
  const TRun r = Probe({"read", "--serial", "/dev/kivssn-no-port", "-o", Dir.File("x.kiv")});
  EXPECT_EQ(r.Code, 1);
}

}  // namespace
