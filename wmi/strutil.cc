#include "wmi/strutil.h"

#include "base/errors.h"

namespace wmi {

Text ExceptionText(const std::exception_ptr& failure) {
  const Text message = syscode::MessageOf(failure);
  const syscode::TextView view(message);
  return syscode::Trim(view.substr(0, view.find(u'\0')));
}

}  // namespace wmi
