// COM for the current thread, for as long as the object lives (the Shell link
// object needs it on every scan thread). Nothing off Windows.
#pragma once

namespace dw {

class ComApartment {
 public:
  ComApartment();
  ~ComApartment();
  ComApartment(const ComApartment&) = delete;
  ComApartment& operator=(const ComApartment&) = delete;

 private:
  bool initialised_ = false;
};

}  // namespace dw
