#include "base/errors.h"

#include <new>
#include <utility>

namespace syscode {

Exception::Exception(Text message) : message_(std::move(message)), utf8_(ToUtf8(message_)) {}

FileError::FileError(int code, const Text& file_name) : Exception(FileErrorMessage(code, file_name)), code_(code) {}

Text FileErrorMessage(int code, const Text& file_name) {
  switch (code) {
    case oserr::kFileNotFound: return u"The specified file was not found";
    case oserr::kPathNotFound: return u"Invalid file name - " + file_name;
    case oserr::kTooManyOpenFiles: return u"Too many open files";
    case oserr::kAccessDenied: return u"File access denied";
    default: return u"I/O error " + DecimalText(static_cast<long long>(code));
  }
}

Text ErrorDisplayText(const Text& message) {
  if (!message.empty() && message.back() > 46) return message + u".";
  return message;
}

Text MessageOf(const std::exception_ptr& failure) {
  if (!failure) return Text();
  try {
    std::rethrow_exception(failure);
  } catch (const Exception& e) {
    return e.Message();
  } catch (const std::bad_alloc&) {
    return u"Out of memory";
  } catch (const std::exception& e) {
    return FromUtf8(e.what());
  } catch (...) {
    return Text();
  }
}

}  // namespace syscode
