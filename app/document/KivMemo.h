#pragma once
// The message memo the controller object writes its progress into. The document window
// gives it a widget; tests and kivprobe keep the lines in memory.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

class IKivMemo {
public:
  virtual ~IKivMemo() = default;
  virtual size_t LineCount() const = 0;
  virtual void AppendLine(std::string_view line) = 0;
  virtual void DeleteFirstLines(size_t count) = 0;
  virtual void DeleteLastLine() = 0;
  // Types text at the caret, which stays at the end of the last line: the text joins that
  // line (or starts one in an empty memo) and goes when the line is deleted.
  virtual void TypeAtEnd(std::string_view text) = 0;
  // A run of lines added at once (a frame dump) may hold back repainting meanwhile.
  virtual void BeginUpdate() {}
  virtual void EndUpdate() {}
};

// Lines in memory.
class TStringsMemo : public IKivMemo {
public:
  std::vector<std::string> Lines;

  size_t LineCount() const override { return Lines.size(); }
  void AppendLine(std::string_view line) override { Lines.emplace_back(line); }
  void DeleteFirstLines(size_t count) override;
  void DeleteLastLine() override;
  void TypeAtEnd(std::string_view text) override;
};
