#include "platform/ComApartment.h"

#include <objbase.h>
#include <windows.h>

namespace dw {

ComApartment::ComApartment() : initialised_(SUCCEEDED(CoInitialize(nullptr))) {}

ComApartment::~ComApartment() {
  if (initialised_) CoUninitialize();
}

}  // namespace dw
