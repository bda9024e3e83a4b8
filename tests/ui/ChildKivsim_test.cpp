// The document window against kivsim as a program of its own, in real time with the GUI's
// pump, over a pseudo-terminal and over TCP: what a user sees when following the README.
#include <QApplication>
#include <QListWidget>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "ChildTestSupport.h"
#include "QtTestApp.h"
#include "app/link/KivLink.h"
#include "app/document/Kivbase.h"
#include "app/ui/Child.h"
#include "app/ui/ChildMemo.h"
#include "platform/qt/QtPump.h"
#include "platform/Prompts.h"
#include "tests/app/LinkTestSupport.h"
#include "tests/sim/KivSimProcess.h"
#include "tests/support/TempDir.h"

namespace {

const std::string KIVSIM = std::string(KIV_BINARY_DIR) + "/tests/sim/kivsim";

class ChildKivsim : public TQtAppTest, public ::testing::WithParamInterface<TTransport> {};

std::vector<uint8_t> ReadBytes(const std::string& path)
{
  std::ifstream f(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
}

TEST_P(ChildKivsim, ReadsAndWritesThroughTheProgram)
{
  ASSERT_TRUE(std::filesystem::exists(KIVSIM));
  childtest::SetFormats();
  TScriptedPrompts script;
  SetPrompts(&script);
  TTempDir dir;
  const std::string folder = dir.Path();
  const auto events = childtest::Model2Events();
  std::ofstream(folder + "/ev.bin", std::ios::binary) << std::string(events.begin(), events.end());

  TKivSimProcess sim;
  ASSERT_TRUE(
      sim.Start(KIVSIM, {"--events", folder + "/ev.bin", "--ident", "K3DEMO-01", "--dump-sets", folder}));
  TQtPumpInstaller pump;
  TKivLink link;
  TCommSettings s;
  s.Time_Out = 500;
  s.TimeSilence = 20;
  ASSERT_TRUE(ConnectLink(link, GetParam(), s, sim.Pty, sim.TcpPort));
  childtest::TFakeFrame frame;
  frame.LinkPtr = &link;
  {
    TChildForm form(frame);
    form.show();
    form.ReadClick();
    ASSERT_GE(form.MessageMemo().LineCount(), 3u);
    EXPECT_EQ(form.MessageMemo().Line(0), "Identyfikacja automatu:KIVS-3");
    EXPECT_EQ(form.EventsListBox->count(), 3);
    script.Answers.push_back(TPromptAnswer::Yes);
    form.Kiv().GetZns1Data()[0] = 0x5A;
    form.ExecuteZnsCommand("ZNS1_2");
    EXPECT_EQ(form.MessageMemo().Line(form.MessageMemo().LineCount() - 1), "Zapis zestawu nastaw 1 do 2: OK");
  }
  std::string rest;
  EXPECT_EQ(sim.Process.StopKeepingOutput(rest), 0);
  const auto set2 = ReadBytes(folder + "/set2.bin");
  ASSERT_FALSE(set2.empty());
  EXPECT_EQ(set2[0], 0x5A);
  SetPrompts(nullptr);
}

INSTANTIATE_TEST_SUITE_P(Transports, ChildKivsim, ::testing::Values(TTransport::Rtu, TTransport::Tcp),
                         TransportName);

}  // namespace
