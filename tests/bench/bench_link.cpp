// The link's speed: a full default read (identification, both sets, every event page) over
// loopback TCP against kivsim with no line silence, beside the same requests made by a
// libmodbus client against the same kivsim; and one transaction over a pseudo-terminal.
//
// Goal: our full read within 1.2 times libmodbus's; over the pseudo-terminal, a transaction
// beyond the configured silences well under 2 ms (median of the repetitions).
#include <benchmark/benchmark.h>

#include <modbus/modbus.h>
#include <unistd.h>

#include <array>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "app/link/KivLink.h"
#include "app/document/KivMemo.h"
#include "app/document/Kivbase.h"
#include "tests/sim/KivSimProcess.h"
#include "tests/support/TempDir.h"

namespace {

// One kivsim for the whole run, with an event register that fills every page.
struct TBenchPeer {
  TTempDir Dir;  // outlives the simulator that reads from it
  TKivSimProcess Sim;
  std::string DefsDir = Dir.Path();
  bool Ok = false;

  TBenchPeer()
  {
    const auto exe = std::filesystem::read_symlink("/proc/self/exe");
    const std::string kivsim = (exe.parent_path().parent_path() / "sim" / "kivsim").string();
    Dir.Write("Kivs2.set", "[GLOBAL]\n");
    std::string events(8000, '\0');
    for (size_t i = 0; i < events.size(); ++i)
      events[i] = char(i * 31);
    Ok = Sim.Start(kivsim, {"--events", Dir.Write("ev.bin", events), "--ident", "K2BENCH1"});
  }
  ~TBenchPeer() { Sim.Process.Stop(); }
};

TBenchPeer& Peer()
{
  static TBenchPeer peer;
  return peer;
}

struct TOurSide {
  TKivLink Link;
  TKiv Kiv;
  TStringsMemo Memo;

  explicit TOurSide(bool tcp)
  {
    TCommSettings s;
    s.TimeSilence = 0;
    s.Time_Out = 500;
    if (tcp) {
      s.MBTCPComm = true;
      s.MBTCPPort = Peer().Sim.TcpPort;
    } else {
      Link.Rsd().SetCommPort(Peer().Sim.Pty);
      Link.Rsd().SetBaudRate(br115200);
      Link.Rsd().SetSilenceTime(0);
      Link.Rsd().Open();
    }
    (void)Link.SetSettings(s);
    Kiv.SetInstallDir(Peer().DefsDir);
    Kiv.SetLink(&Link);
    Kiv.SetMessageMemo(&Memo);
    Kiv.TraceMessages = false;
  }
};

void BM_FullReadTcp_Ours(benchmark::State& state)
{
  if (!Peer().Ok) {
    state.SkipWithError("kivsim did not start");
    return;
  }
  TOurSide our(true);
  for (auto _ : state) {
    our.Memo.Lines.clear();
    if (!our.Kiv.ReadFromKIV() || our.Kiv.Aborted() || our.Kiv.GetEvRegSize() != 8000) {
      state.SkipWithError("read failed");
      break;
    }
  }
  state.counters["transactions"] = 35;
}
BENCHMARK(BM_FullReadTcp_Ours)->Unit(benchmark::kMicrosecond);

void BM_FullReadTcp_Libmodbus(benchmark::State& state)
{
  if (!Peer().Ok) {
    state.SkipWithError("kivsim did not start");
    return;
  }
  modbus_t* ctx = modbus_new_tcp("127.0.0.1", Peer().Sim.TcpPort);
  modbus_set_slave(ctx, 0x1F);
  if (modbus_connect(ctx) != 0) {
    modbus_free(ctx);
    state.SkipWithError("libmodbus cannot connect");
    return;
  }
  std::array<uint16_t, 125> regs{};
  for (auto _ : state) {
    bool ok = modbus_read_registers(ctx, 0x0E78, 8, regs.data()) == 8 &&
              modbus_read_registers(ctx, 2176, 119, regs.data()) == 119 &&
              modbus_read_registers(ctx, 2432, 119, regs.data()) == 119;
    for (int page = 0; ok && page < 32; ++page)
      ok = modbus_read_registers(ctx, 4000 + page, 125, regs.data()) == 125;
    if (!ok) {
      state.SkipWithError("libmodbus read failed");
      break;
    }
    benchmark::DoNotOptimize(regs);
  }
  modbus_close(ctx);
  modbus_free(ctx);
  state.counters["transactions"] = 35;
}
BENCHMARK(BM_FullReadTcp_Libmodbus)->Unit(benchmark::kMicrosecond);

void BM_TransactionPty(benchmark::State& state)
{
  if (!Peer().Ok) {
    state.SkipWithError("kivsim did not start");
    return;
  }
  TOurSide our(false);
  if (!our.Link.Rsd().IsOpen()) {
    state.SkipWithError("pseudo-terminal did not open");
    return;
  }
  our.Kiv.SetKivType(1);
  std::array<uint8_t, 512> set{};
  for (auto _ : state) {
    if (!our.Kiv.ReadRegisters(2177, set, 119)) {
      state.SkipWithError("transaction failed");
      break;
    }
  }
}
BENCHMARK(BM_TransactionPty)->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly(true);

}  // namespace

BENCHMARK_MAIN();
