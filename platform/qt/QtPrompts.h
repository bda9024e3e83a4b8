// The GUI's prompts: message boxes, questions, input queries and file dialogs.
#pragma once

#include "platform/Prompts.h"

#include <QMessageBox>
#include <QPointer>
#include <QString>
#include <QWidget>

#include <memory>

class TQtPrompts : public IPrompts {
public:
  explicit TQtPrompts(QWidget* parent = nullptr) : FParent(parent) {}
  void SetParent(QWidget* parent) { FParent = parent; }
  // Caption of messages and errors (the application's title).
  void SetTitle(const std::string& cp1250Title) { FTitle = cp1250Title; }

  void Message(const std::string& text) override;
  void Error(const std::string& text) override;
  void Warning(const std::string& text) override;
  TPromptAnswer Confirm(const std::string& text, const std::string& caption, TPromptButtons buttons,
                        TPromptKind kind) override;
  bool InputQuery(const std::string& caption, const std::string& prompt, std::string& value) override;
  bool OpenFileName(const std::string& caption, const std::string& filter, std::string& path) override;
  bool SaveFileName(const std::string& caption, const std::string& filter, std::string& path) override;
  bool ChooseColor(uint32_t& color) override;

  // The box a prompt shows, built but not run (the caller owns it).
  std::unique_ptr<QMessageBox> MakeBox(const std::string& text, const std::string& caption,
                                       TPromptButtons buttons, TPromptKind kind) const;

private:
  QString Title() const;
  QPointer<QWidget> FParent;
  std::string FTitle;
};

// "Pliki rejestracji|*.kiv|Wszystkie pliki|*.*" -> "Pliki rejestracji (*.kiv);;Wszystkie pliki (*)".
QString QtFileFilter(const std::string& cp1250Filter);
// The answer of a box's button (Escape or the close button give DismissAnswer).
TPromptAnswer AnswerOfButton(QMessageBox::StandardButton button, TPromptButtons buttons);

// Installs TQtPrompts for its lifetime.
class TQtPromptsInstaller {
public:
  explicit TQtPromptsInstaller(QWidget* parent = nullptr);
  ~TQtPromptsInstaller();
  TQtPromptsInstaller(const TQtPromptsInstaller&) = delete;
  TQtPromptsInstaller& operator=(const TQtPromptsInstaller&) = delete;
  TQtPrompts& Prompts() { return FPrompts; }

private:
  TQtPrompts FPrompts;
  IPrompts* FPrevious = nullptr;
};
