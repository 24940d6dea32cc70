#include "platform/ComApartment.h"

namespace dw {

ComApartment::ComApartment() = default;
ComApartment::~ComApartment() = default;

}  // namespace dw
