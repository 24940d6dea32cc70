// The check of a copy that both backends make: a digest of the bytes written,
// compared with one of the bytes read back from the new file.
#pragma once

#include <cstdint>
#include <string_view>

namespace dw {

// FNV-1a over 64 bits: no defence against a forger, only against bytes lost or
// changed between the write and the disk.
class TCopyDigest {
 public:
  void Add(std::string_view bytes) {
    for (char c : bytes) {
      FValue ^= static_cast<unsigned char>(c);
      FValue *= 0x100000001b3ULL;
    }
    FLength += bytes.size();
  }
  bool operator==(const TCopyDigest&) const = default;
  uint64_t Length() const { return FLength; }

 private:
  uint64_t FValue = 0xcbf29ce484222325ULL;
  uint64_t FLength = 0;
};

}  // namespace dw
