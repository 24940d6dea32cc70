// The string list that the window thread and the workers share: unsorted, with
// case-insensitive comparison, every member atomic under the list's own lock.
#pragma once

#include <functional>
#include <mutex>
#include <string>
#include <vector>

namespace dw {

class TThreadStringList {
 public:
  TThreadStringList() = default;
  TThreadStringList(const TThreadStringList&) = delete;
  TThreadStringList& operator=(const TThreadStringList&) = delete;

  int Add(const std::wstring& s);  // always appends; the new index
  void AddStrings(const std::vector<std::wstring>& items);
  void Delete(int index);  // throws std::out_of_range; the list is unchanged then
  void Clear();
  void Exchange(int a, int b);
  void Insert(int index, const std::wstring& s);
  int IndexOf(const std::wstring& s) const;  // first equal item ignoring case, or -1
  int IndexOfName(const std::wstring& name) const;
  bool Contains(const std::wstring& s) const { return IndexOf(s) >= 0; }
  // Look-up and delete of the first equal item as one locked step; false when absent.
  bool Remove(const std::wstring& s);
  void Sort();
  int Count() const;
  std::wstring Strings(int index) const;  // throws std::out_of_range
  void SetStrings(int index, const std::wstring& s);
  std::wstring Names(int index) const;
  std::wstring Values(const std::wstring& name) const;
  void SetValues(const std::wstring& name, const std::wstring& value);
  std::wstring Text() const;               // each item followed by CR LF
  void SetText(const std::wstring& text);  // lines split at CR LF, LF or CR
  std::wstring CommaText() const;
  void SetCommaText(const std::wstring& text);
  std::vector<std::wstring> Snapshot() const;  // a copy of all items
  // Runs fn on the items under the lock (the LockList/UnlockList bracket).
  void Locked(const std::function<void(std::vector<std::wstring>&)>& fn);

 private:
  mutable std::recursive_mutex FLock;
  std::vector<std::wstring> FStringList;
};

}  // namespace dw
