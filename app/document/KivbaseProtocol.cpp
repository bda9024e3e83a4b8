// The controller protocol of TKiv: identification, setting sets and the event register over
// the program's one link, each step reported as lines in the message memo.
#include <algorithm>
#include <vector>

#include "app/link/KivLink.h"
#include "app/document/KivMemo.h"
#include "app/document/Kivbase.h"
#include "app/link/Mbusfun.h"
#include "platform/Codepage.h"
#include "platform/DateTime.h"
#include "platform/NumText.h"
#include "platform/StateScope.h"
#include "platform/Wait.h"

namespace {
constexpr int READ_CHUNK = 125;         // registers a function 3 request may ask for
constexpr int WRITE_CHUNK = 123;        // registers a function 16 request may carry
constexpr int MAX_SET_REGISTERS = 256;  // a set field holds 512 bytes
constexpr size_t EVREG_GATHER = 10240;
constexpr size_t MEMO_MAX_LINES = 2000;
constexpr size_t MEMO_KEEP_BELOW = 1000;
constexpr uint16_t IDENT_REGISTER = 3705;
constexpr int IDENT_COUNT = 8;

void PutWireRegister(std::span<uint8_t> frame, size_t at, int registerNumber)
{
  const uint16_t wire = uint16_t(registerNumber - 1);  // register N travels as N - 1
  frame[at] = uint8_t(wire >> 8);
  frame[at + 1] = uint8_t(wire & 0xFF);
}

void PutCount(std::span<uint8_t> frame, size_t at, int count)
{
  frame[at] = uint8_t((count >> 8) & 0xFF);
  frame[at + 1] = uint8_t(count & 0xFF);
}

const auto& NO_REPLY = "Brak odpowiedzi"_cp;
const auto& ABORT_SUFFIX = " , anulowanie odczytu"_cp;
constexpr std::string_view IDENT_LINE = "Identyfikacja automatu:";
const auto& BAD_SET_SIZE = "nieprawidłowy rozmiar zestawu"_cp;
const auto& LINK_BUSY = "łącze zajęte"_cp;

// The line of a step that sent nothing: the step's own line, then why.
std::string NotSent(std::string_view stepLine, std::string_view why)
{
  // A step's line may end in its own ": " (where a count follows); it is not doubled.
  while (!stepLine.empty() && (stepLine.back() == ' ' || stepLine.back() == ':'))
    stepLine.remove_suffix(1);
  return std::string(stepLine) + ": nie wysłano ("_cp + std::string(why) + ")";
}
}  // namespace

// Marks the object busy for one scope and puts back what was before (a read within a read).
// End() ends it early: the completion events see the state as it is after the step.
class TKiv::TActivityScope : public TStateScope<TActivity> {
public:
  TActivityScope(TKiv& kiv, TActivity activity) : TStateScope(kiv.FActivity, activity) {}
};

// --- Message memo -------------------------------------------------------------------------

void TKiv::AddMessage(std::string_view line)
{
  if (!FMemo)
    return;
  const size_t count = FMemo->LineCount();
  if (count > MEMO_MAX_LINES)
    FMemo->DeleteFirstLines(count - (MEMO_KEEP_BELOW - 1));
  FMemo->AppendLine(line);
}

void TKiv::DeleteLastMessage()
{
  if (FMemo && FMemo->LineCount() > 0)
    FMemo->DeleteLastLine();
}

void TKiv::ReplaceProvisional(std::string_view line)
{
  // With tracing the provisional line stays above the frame dumps.
  if (!TraceMessages)
    DeleteLastMessage();
  AddMessage(line);
}

void TKiv::AddHexDump(std::span<const uint8_t> bytes)
{
  if (!FMemo)
    return;
  FMemo->BeginUpdate();
  std::string line;
  for (size_t i = 0; i < bytes.size(); ++i) {
    line += IntToHex(bytes[i], 2);
    line += ' ';
    if ((i + 1) % 16 == 0) {
      AddMessage(line);
      line.clear();
    }
  }
  if (!line.empty())
    AddMessage(line);
  FMemo->EndUpdate();
}

// --- Transactions -------------------------------------------------------------------------

bool TKiv::ReplyFitsRequest() const
{
  if (FReplyLength < 4)
    return false;
  const uint8_t function = FReply[1];
  if (function & 0x80)
    return FReplyLength == 5;  // address, function, exception code, check
  if (FRequest[1] != 3)
    return true;  // a write takes whatever came back; the caller judges the function
  // A read must bring exactly the registers it asked for, or it is a failed attempt; an
  // event page may bring fewer, as long as its byte count agrees with the frame.
  const int32_t asked = (int32_t(FRequest[4]) << 8) | FRequest[5];
  const int32_t bytes = FReply[2];
  if (function != 3 || FReplyLength != bytes + 5)
    return false;
  if (FShortReadAllowed)
    return bytes % 2 == 0 && bytes <= 2 * asked;
  return bytes == 2 * asked;
}

void TKiv::Transaction()
{
  FReplyLength = 0;
  FAbort = false;
  FCancel = false;
  if (FRequestLength == 0) {
    FCancel = true;
    return;
  }
  const uint8_t address = GetReadOptions()[ReadOption::SlaveAddress];
  FRequest[0] = address;
  AddCRC(FRequest, size_t(FRequestLength) - 2);
  if (TraceMessages) {
    AddMessage("Send:");
    AddHexDump(Request());
  }
  int attempts = FLink ? FLink->Policy().Attempts : 1;
  bool success = false;
  std::string error;
  for (;;) {
    FReply.fill(0);
    FReplyLength = 0;
    --attempts;
    size_t length = 0;
    success = FLink && FLink->Transport().Attempt(Request(), FReply, length, error);
    if (success) {
      FReplyLength = int32_t(std::min(length, FReply.size()));
      success = ReplyFitsRequest();
    }
    if (success)
      break;
    // A late reply to this attempt must not be taken for the next request's: the retry's,
    // or after the last attempt the first one of whatever the user starts next.
    if (!FLink || !FLink->Transport().Settle() || attempts <= 0)
      break;
    AddMessage(error + " " + "ponawianie transmisji");
  }

  if (!success) {
    FReply.fill(0);
    FReplyLength = 0;
    AddMessage((error.empty() ? std::string(NO_REPLY) : error) + ABORT_SUFFIX);
    FAbort = true;
    return;
  }
  if (TraceMessages) {
    AddMessage("Receive:");
    AddHexDump(Reply());
  }
  if (FReply[0] != address) {
    AddMessage("Odpowiedź automatu o innym adresie-odczyt anulowany"_cp);
    FAbort = true;
  }
  if (FReply[1] & 0x80) {
    FAbort = true;
    AddMessage("Znacznik końca"_cp);
  }
}

bool TKiv::ReadRegisters(uint16_t start, std::span<uint8_t> destination, int count, bool mayBeShort)
{
  const TStateScope<bool> shortReads(FShortReadAllowed, mayBeShort);
  int first = start;
  size_t at = 0;
  while (count > 0) {
    const int n = std::min(count, READ_CHUNK);
    FRequest.fill(0);
    FRequest[1] = 3;
    PutWireRegister(FRequest, 2, first);
    PutCount(FRequest, 4, n);
    FRequestLength = 8;
    Transaction();
    if (FAbort || FCancel)
      return false;
    if (FReply[1] != 3)
      return false;
    // Copy only what was asked and what the field still has room for.
    const size_t bytes = std::min<size_t>(FReply[2], 2 * size_t(n));
    const size_t room = at < destination.size() ? destination.size() - at : 0;
    std::copy_n(FReply.begin() + 3, std::min(bytes, room),
                destination.begin() + std::ptrdiff_t(std::min(at, destination.size())));
    count -= n;
    first += n;
    at += 2 * size_t(n);
  }
  return true;
}

void TKiv::WriteRegisters(uint16_t start, std::span<const uint8_t> source, int step, int count)
{
  int first = start;
  size_t at = 0;
  // Never more than the source holds.
  count = std::min(count, int(source.size() / 2));
  while (count > 0) {
    if (step <= 0)
      step = count;
    step = std::min({step, WRITE_CHUNK, count});
    FRequest.fill(0);
    FRequest[1] = 16;
    PutWireRegister(FRequest, 2, first);
    PutCount(FRequest, 4, step);
    FRequest[6] = uint8_t(2 * step);
    std::copy_n(source.begin() + std::ptrdiff_t(at), 2 * size_t(step), FRequest.begin() + 7);
    FRequestLength = uint16_t(2 * step + 9);
    count -= step;
    first += step;
    at += 2 * size_t(step);
    Transaction();
    if (FMemo)
      FMemo->TypeAtEnd(".");
    if (FAbort || FCancel)
      break;
    WaitMs(FLink ? FLink->Policy().SilenceAfterWriteChunk : 0);
  }
}

// --- Steps --------------------------------------------------------------------------------

bool TKiv::SetSizeUsable() const { return FDefs->ZNS_SIZE >= 1 && FDefs->ZNS_SIZE <= MAX_SET_REGISTERS; }

void TKiv::Identify()
{
  FAbort = false;
  FCancel = false;
  FRequest.fill(0);
  FRequest[1] = 3;
  PutWireRegister(FRequest, 2, IDENT_REGISTER);
  PutCount(FRequest, 4, IDENT_COUNT);
  FRequestLength = 8;
  AddMessage(IDENT_LINE);
  Transaction();
  if (FAbort || FCancel || FReplyLength == 0)
    return;
  // The text ends at the first NUL, at the latest where the check begins.
  const size_t end = size_t(FReplyLength) - 2;
  FReply[end] = 0;
  std::string ident;
  for (size_t i = 3; i < end && FReply[i] != 0; ++i)
    ident += char(FReply[i]);
  SetIdent(ident);
  if (ident.size() >= 2 && ident[1] == '2') {
    ReplaceProvisional("Identyfikacja automatu:KIVS-2");
    SetKivType(1);
  } else if (ident.size() >= 2 && ident[1] == '3') {
    ReplaceProvisional("Identyfikacja automatu:KIVS-3");
    SetKivType(2);
  } else {
    ReplaceProvisional("Identyfikacja automatu:?");
    FCancel = false;
  }
}

void TKiv::ReadZestawNastaw(int n)
{
  if (n != 1 && n != 2)
    return;
  const std::string head = "Odczyt zestawu nastaw " + IntToStr(n);
  if (FCancel) {
    AddMessage(head + ": Odczyt anulowany");
    return;
  }
  AddMessage(head);
  if (!SetSizeUsable()) {
    // Nothing sensible to ask for (an unknown model has no set).
    ReplaceProvisional(NotSent(head, BAD_SET_SIZE));
    FAbort = true;
    return;
  }
  // The set changes only when it came back whole.
  uint8_t* field = GetZnsData(n);
  std::array<uint8_t, KivImage::ZNS_CAPACITY> copy{};
  std::copy_n(field, copy.size(), copy.begin());
  const uint16_t start = n == 1 ? FDefs->ZNS1_ADRES : FDefs->ZNS2_ADRES;
  const bool whole = ReadRegisters(start, copy, FDefs->ZNS_SIZE);
  if (!FAbort && !FCancel && whole) {
    if (FReply[1] == 3)
      SetModified(true);
    std::copy(copy.begin(), copy.end(), field);
    SetZnsSize(n, uint16_t(2 * FDefs->ZNS_SIZE));
    ReplaceProvisional(head + " :OK");
    if (n == 1) {
      SetZns1Date(Date());
      Fire(OnCompleteZestawNastaw1);
    } else {
      SetZns2Date(Date());
      Fire(OnCompleteZestawNastaw2);
    }
  } else if (FCancel) {
    ReplaceProvisional(head + ": Odczyt anulowany");
  }
}

bool TKiv::WriteZestawNastaw(int source, int target)
{
  if ((source != 1 && source != 2) || (target != 1 && target != 2) || IsBusy())
    return false;
  std::string text = "Zapis zestawu nastaw " + IntToStr(source);
  if (source != target)
    text += " do " + IntToStr(target);
  TLinkLock lock(FLink, this, TLinkActivity::Writing);
  if (!lock.Held()) {
    if (FLink)  // another document holds the link: the user must not think it was written
      AddMessage(NotSent(text, LINK_BUSY));
    return false;
  }
  TActivityScope busy(*this, TActivity::Writing);
  const uint16_t length = GetZnsSize(source);
  if (length == 0) {
    AddMessage(text + ": Zestaw " + IntToStr(source) + " jest pusty - anulowanie zapisu");
    return true;
  }
  AddMessage(text);
  if (!SetSizeUsable()) {
    ReplaceProvisional(NotSent(text, BAD_SET_SIZE));
    FAbort = true;
    return true;
  }
  // At most the field, whatever length a loaded document claims.
  const int count = std::min<int>(length, int(KivImage::ZNS_CAPACITY)) / 2;
  const uint16_t start = target == 1 ? FDefs->ZNS1_ADRES : FDefs->ZNS2_ADRES;
  FReply.fill(0);
  FReplyLength = 0;
  WriteRegisters(start, std::span<const uint8_t>(GetZnsData(source), KivImage::ZNS_CAPACITY),
                 FDefs->ZNS_SEND_STEP, count);
  // A write that stopped early (another controller answered) left chunks unsent, whatever
  // function its last reply carried.
  if (!FAbort && FReply[1] == 16)
    ReplaceProvisional(text + ": OK");
  else
    ReplaceProvisional(text + ": Automat nie przyjął zestawu nastaw "_cp);
  return true;
}

bool TKiv::EvRegHasEnd(std::span<const uint8_t> data) const
{
  const auto table = std::span<const uint8_t, EVENT_KIND_TABLE_SIZE>(*FEventKinds);
  for (TEvRecordWalker walk(data, table); !walk.AtEnd(); walk.Next()) {
    // A record that reaches the end of what has arrived may go on in the next page.
    if (walk.Offset() + walk.Length() >= data.size())
      return false;
    if (walk.Length() == 0 || walk.IsEndMarker())
      return true;
  }
  return false;
}

bool TKiv::ReadEvReg()
{
  // Inside this document's own read or write it would reuse the frames of the one under way.
  if (IsBusy())
    return false;
  return DoReadEvReg();
}

bool TKiv::DoReadEvReg()
{
  FAbort = false;
  FCancel = false;
  const auto& head = "Odczyt rejestru zdarzeń: "_cp;
  TLinkLock lock(FLink, this, TLinkActivity::Reading);
  if (!lock.Held()) {
    if (FLink)
      AddMessage(NotSent(head, LINK_BUSY));
    return false;
  }
  TActivityScope busy(*this, TActivity::Reading);
  std::vector<uint8_t> buffer(EVREG_GATHER, 0);
  size_t gathered = 0;
  // Whether the read ends or throws: keep what came, give the link back, then tell.
  const auto complete = [&] {
    if (FAbort && (FReply[1] & 0x80) && !FCancel && gathered > 0)
      FAbort = false;  // the device marks the end of its register with an exception reply
    if (gathered > 0) {
      const size_t length = std::min(gathered, EVREG_GATHER);
      SetEvRegSize(uint16_t(length));
      SetEvRegDate(Date());
      std::copy_n(buffer.begin(), length, GetEvRegData());
      SetModified(true);
    }
    busy.End();
    lock.Release();
    Fire(OnEvRegCompleted);
  };
  try {
    AddMessage(head);
    const bool showAll = GetReadOptions()[ReadOption::ShowAllEvents] != 0;
    int page = FDefs->EV_BUF_FIRST_REG;
    bool finished = false;
    do {
      const size_t at = std::min(gathered, buffer.size());
      ReadRegisters(uint16_t(page), std::span<uint8_t>(buffer).subspan(at), READ_CHUNK, true);
      if (!FAbort && !FCancel) {
        if (FReply[1] == 3)
          gathered += FReply[2];
        ReplaceProvisional(head + IntToStr(int64_t(gathered)) + " bajtów"_cp);
        ++page;
        finished = (showAll &&
                    EvRegHasEnd(std::span<const uint8_t>(buffer).first(std::min(gathered, buffer.size())))) ||
                   gathered > EVREG_GATHER;
        WaitMs(FLink->Policy().SilenceAfterEventPage);
      }
    } while (!FAbort && !FCancel && !finished && page <= FDefs->EV_BUF_LAST_REG);
  } catch (...) {
    complete();
    throw;
  }
  complete();
  return true;
}

bool TKiv::ReadFromKIV()
{
  if (IsBusy())
    return false;
  TLinkLock lock(FLink, this, TLinkActivity::Reading);
  if (!lock.Held()) {
    if (FLink)
      AddMessage(NotSent(IDENT_LINE, LINK_BUSY));
    return false;
  }
  TActivityScope busy(*this, TActivity::Reading);
  // Whether the read ends or throws: say a cancel, give the link back, then tell.
  const auto complete = [&] {
    if (FCancel)
      AddMessage("Odczyt anulowany");
    busy.End();
    lock.Release();
    Fire(OnCompleteAll);
  };
  try {
    Fire(OnBeginRead);
    Identify();
    const TReadOptions options = GetReadOptions();
    if (!FAbort && !FCancel && options[ReadOption::ReadZns1])
      ReadZestawNastaw(1);
    if (!FAbort && !FCancel && options[ReadOption::ReadZns2])
      ReadZestawNastaw(2);
    if (!FAbort && !FCancel && options[ReadOption::ReadEvReg])
      DoReadEvReg();
  } catch (...) {
    complete();
    throw;
  }
  complete();
  return true;
}
