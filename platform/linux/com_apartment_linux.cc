// No COM on Linux: our own layer answers the queries on any thread.
#include "wmi/com_apartment.h"

namespace wmi {

ComApartment::ComApartment(Mode) {}

ComApartment::~ComApartment() = default;

}  // namespace wmi
