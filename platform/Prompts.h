// Messages, confirmations, input queries and file choices, behind one interface: the GUI
// answers with its dialogs, tests with a script, and the command-line tools with stderr.
// All texts are Windows-1250 bytes.
#pragma once

#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <vector>

enum class TPromptAnswer { Yes, No, Cancel, Ok };
enum class TPromptButtons { Ok, OkCancel, YesNo, YesNoCancel };
enum class TPromptKind { Information, Warning, Error, Confirmation };
// Who asks before a save writes over a file that exists: the save dialog itself, or the
// caller after it, with a question of its own (the dialog must not ask first).
enum class TOverwriteQuery { Dialog, Caller };

class IPrompts {
public:
  virtual ~IPrompts() = default;
  virtual void Message(const std::string& text) = 0;
  virtual void Error(const std::string& text) = 0;
  virtual void Warning(const std::string& text) { Message(text); }
  // A question with the given buttons; closing the box reads Cancel (No when there is no
  // Cancel button, Ok for a lone Ok).
  virtual TPromptAnswer Confirm(const std::string& text, const std::string& caption, TPromptButtons buttons,
                                TPromptKind kind = TPromptKind::Confirmation) = 0;
  // Shows value for editing; true (value replaced) on Ok, false (value kept) on Cancel.
  virtual bool InputQuery(const std::string& caption, const std::string& prompt, std::string& value) = 0;
  // File choices; filter is "Description|*.ext;*.ex2|Other|*.*". `path` proposes the start
  // (folder or file) and receives the choice; paths are file-system bytes, not Windows-1250.
  virtual bool OpenFileName(const std::string& caption, const std::string& filter, std::string& path)
  {
    (void)caption;
    (void)filter;
    (void)path;
    return false;
  }
  virtual bool SaveFileName(const std::string& caption, const std::string& filter, std::string& path,
                            TOverwriteQuery query = TOverwriteQuery::Dialog)
  {
    (void)caption;
    (void)filter;
    (void)path;
    (void)query;
    return false;
  }
  // The colour dialog: shows `color` (COLORREF $00BBGGRR); true (color replaced) when a
  // colour was chosen, false (color kept) on Cancel.
  virtual bool ChooseColor(uint32_t& color)
  {
    (void)color;
    return false;
  }
};

// The answer a closed box gives for a button set.
TPromptAnswer DismissAnswer(TPromptButtons buttons);

// Writes messages to the debug sink and answers every question as if the box were closed.
class TConsolePrompts : public IPrompts {
public:
  void Message(const std::string& text) override;
  void Error(const std::string& text) override;
  void Warning(const std::string& text) override;
  TPromptAnswer Confirm(const std::string& text, const std::string& caption, TPromptButtons buttons,
                        TPromptKind kind) override;
  bool InputQuery(const std::string& caption, const std::string& prompt, std::string& value) override;
};

// For tests: records every prompt and answers from queues. A question the script does not
// answer gets the closed-box answer (or false) and is counted in Unscripted.
class TScriptedPrompts : public IPrompts {
public:
  enum class TKind { Message, Error, Warning, Confirm, Input, OpenFile, SaveFile, Color };
  struct TRecord {
    TKind Kind;
    std::string Text;  // message, question, or the input prompt
    std::string Caption;
    TPromptButtons Buttons = TPromptButtons::Ok;
  };

  void Message(const std::string& text) override;
  void Error(const std::string& text) override;
  void Warning(const std::string& text) override;
  TPromptAnswer Confirm(const std::string& text, const std::string& caption, TPromptButtons buttons,
                        TPromptKind kind) override;
  bool InputQuery(const std::string& caption, const std::string& prompt, std::string& value) override;
  bool OpenFileName(const std::string& caption, const std::string& filter, std::string& path) override;
  // Records who asks before writing over a file in SaveQueries.
  bool SaveFileName(const std::string& caption, const std::string& filter, std::string& path,
                    TOverwriteQuery query = TOverwriteQuery::Dialog) override;
  // Records the colour shown (as 6 hex digits) in Text.
  bool ChooseColor(uint32_t& color) override;

  // Texts of the records of one kind, in order.
  std::vector<std::string> Texts(TKind kind) const;
  void Clear();

  std::deque<TPromptAnswer> Answers;              // for Confirm
  std::deque<std::optional<std::string>> Inputs;  // for InputQuery; nullopt = Cancel
  std::deque<std::optional<std::string>> Files;   // for OpenFileName / SaveFileName
  std::deque<std::optional<uint32_t>> Colors;     // for ChooseColor; nullopt = Cancel
  std::vector<TRecord> Records;
  std::vector<TOverwriteQuery> SaveQueries;  // one per save dialog, in order
  int Unscripted = 0;

private:
  // The next scripted answer: true with the value, false for a scripted Cancel; an empty
  // queue counts as unscripted and cancels.
  template <typename T>
  bool TakeAnswer(std::deque<std::optional<T>>& queue, T& out)
  {
    if (queue.empty()) {
      ++Unscripted;
      return false;
    }
    const std::optional<T> a = std::move(queue.front());
    queue.pop_front();
    if (!a)
      return false;
    out = *a;
    return true;
  }
};

// Installs prompts (nullptr: the console prompts again); the caller keeps ownership.
IPrompts* SetPrompts(IPrompts* prompts);
IPrompts& Prompts();
