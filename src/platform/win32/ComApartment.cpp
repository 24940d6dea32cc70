#include "platform/ComApartment.h"

#include "platform/win32/WindowsSupport.h"

#include <objbase.h>

namespace dw {

ComApartment::ComApartment() : initialised_(SUCCEEDED(CoInitialize(nullptr))) {}

ComApartment::~ComApartment() {
  if (initialised_) CoUninitialize();
}

}  // namespace dw
