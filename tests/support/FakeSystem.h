// A System whose clock, sleeps, message boxes and started programs a test controls.
#pragma once

#include <atomic>
#include <deque>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "common/Text.h"
#include "platform/Platform.h"

namespace dw::test {

struct ShellCall {
  OwnerWindow owner;
  std::wstring verb, file, parameters, directory;
  int show;
};

struct MessageBoxCall {
  std::wstring text, caption;
  uint32_t type;
};

class FakeSystem : public System {
 public:
  std::wstring specialFolder = L"C:\\ProgramData";
  std::wstring systemDirectory = L"C:\\windows\\system32";
  std::optional<std::wstring> userName = L"Alice";
  std::wstring programFolder = L"C:\\Program Files\\Drivewarden\\";
  std::wstring dateTime = L"10/12/2026 14:03:07";
  // When true, Sleep advances the fake clock instead of waiting.
  bool virtualSleep = true;
  std::atomic<uint32_t> tick{1000};
  int defaultAnswer = 6;  // IDYES

  std::wstring SpecialFolder(int) override { return specialFolder; }
  std::wstring SystemDirectory() override { return systemDirectory; }
  std::optional<std::wstring> UserName() override { return userName; }
  std::wstring ProgramFolder() override { return programFolder; }
  bool Shell(OwnerWindow owner, const std::wstring& verb, const std::wstring& file, const std::wstring& parameters,
             const std::wstring& directory, int show) override {
    std::lock_guard<std::mutex> lock(mutex_);
    shellCalls_.push_back({owner, verb, file, parameters, directory, show});
    return shellStarts;
  }
  // What Shell answers: false stands for a program that could not be started.
  bool shellStarts = true;
  int MessageDialog(const std::wstring& text, const std::wstring& caption, uint32_t type) override {
    std::lock_guard<std::mutex> lock(mutex_);
    messageBoxes_.push_back({text, caption, type});
    if (answers_.empty()) return defaultAnswer;
    int answer = answers_.front();
    answers_.pop_front();
    return answer;
  }
  std::wstring LocalDateTimeText() override { return dateTime; }
  // The moment itself, so that a test can tell which one was shown.
  std::wstring DateTimeText(int64_t unixTime) override { return L"@" + std::to_wstring(unixTime); }
  uint32_t TickCount() override { return tick.load(); }
  void Sleep(uint32_t ms) override;
  std::wstring ErrorMessage(uint32_t code) override { return L"Error " + std::to_wstring(code) + L"."; }
  // The process's own environment: shortcut tests set what they need there.
  std::optional<std::wstring> EnvironmentVariable(const std::wstring& name) override;
  std::string ToAnsi(std::wstring_view text) override { return WideToCp1252(text); }
  std::wstring FromAnsi(std::string_view bytes) override { return Cp1252ToWide(bytes); }
  uint32_t AnsiCodePage() override { return 1252; }
  // The next queued folder, or nothing (the user cancels) when none is queued.
  std::optional<std::wstring> BrowseForFolder(const std::wstring& title) override {
    std::lock_guard<std::mutex> lock(mutex_);
    folderDialogs_.push_back(title);
    if (folders_.empty()) return std::nullopt;
    std::optional<std::wstring> folder = folders_.front();
    folders_.pop_front();
    return folder;
  }

  void QueueAnswer(int answer) {
    std::lock_guard<std::mutex> lock(mutex_);
    answers_.push_back(answer);
  }
  void QueueFolder(std::optional<std::wstring> folder) {
    std::lock_guard<std::mutex> lock(mutex_);
    folders_.push_back(std::move(folder));
  }
  // The titles of the folder dialogs shown, in order.
  std::vector<std::wstring> FolderDialogs() {
    std::lock_guard<std::mutex> lock(mutex_);
    return folderDialogs_;
  }
  std::vector<ShellCall> ShellCalls() {
    std::lock_guard<std::mutex> lock(mutex_);
    return shellCalls_;
  }
  std::vector<MessageBoxCall> MessageBoxes() {
    std::lock_guard<std::mutex> lock(mutex_);
    return messageBoxes_;
  }

 private:
  std::mutex mutex_;
  std::vector<ShellCall> shellCalls_;
  std::vector<MessageBoxCall> messageBoxes_;
  std::deque<int> answers_;
  std::deque<std::optional<std::wstring>> folders_;
  std::vector<std::wstring> folderDialogs_;
};

}  // namespace dw::test
