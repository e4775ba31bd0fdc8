// The public library: this machine's code and the code of recorded values,
// through the same CodeAssembly as the window, with no log file.
#include "syscode/syscode.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <stdexcept>
#include <string>

#include "lib/syscode_internal.h"
#include "syscode/code_assembly.h"
#include "syscode/diagnostic_log.h"
#include "base/errors.h"
#include "syscode/log_decoder.h"
#include "syscode/readers.h"
#include "syscode/version.h"
#include "wmi/com_apartment.h"
#include "wmi/ole_error.h"

#ifdef _WIN32
#include <objbase.h>
#endif

namespace syscode {

namespace {

// Passes every call on to the real runtime and notes whether the WMI
// locator could be had at all. Each reader obtains it anew (the running
// object first, else a new one); when every attempt to create one failed,
// no query ran and the empty values say nothing about the hardware.
class LocatorWatch : public wmi::ComRuntime {
 public:
  explicit LocatorWatch(wmi::ComRuntime& runtime) : runtime_(runtime) {}

  wmi::HRESULT GetActiveObject(const wmi::Guid& clsid, std::shared_ptr<wmi::IUnknownObject>* object) override {
    const wmi::HRESULT hr = runtime_.GetActiveObject(clsid, object);
    if (wmi::Succeeded(hr)) obtained_ = true;
    return hr;
  }
  wmi::HRESULT CoCreateInstance(const wmi::Guid& clsid, std::uint32_t class_context, const wmi::Guid& iid,
                                std::shared_ptr<wmi::IUnknownObject>* object) override {
    const wmi::HRESULT hr = runtime_.CoCreateInstance(clsid, class_context, iid, object);
    if (wmi::Succeeded(hr)) {
      obtained_ = true;
    } else {
      failed_ = true;
      failure_ = hr;
    }
    return hr;
  }
  Text TakeErrorDescription() override { return runtime_.TakeErrorDescription(); }
  Text SystemMessage(wmi::HRESULT hr) override { return runtime_.SystemMessage(hr); }

  // Whether the locator was asked for and never obtained.
  bool NeverObtained() const { return failed_ && !obtained_; }
  wmi::HRESULT Failure() const { return failure_; }

 private:
  wmi::ComRuntime& runtime_;
  bool obtained_ = false;
  bool failed_ = false;
  wmi::HRESULT failure_ = 0;
};

// Why recorded values are no press: the derivation asks for a value that is
// missing. Names the value, and how far the values before it got.
std::string MissingValueProblem(const RecordedValues& values, int source) {
  std::string text = "value " + std::to_string(source) + " (" + ToUtf8(kSources[source].name) +
                     ") is missing, but the derivation reads it";
  if (source == 0) return text + ": it always starts with CpuId";
  int parts = 0;
  for (int i = 0; i < source; ++i) {
    if (values[i] && CodeAssembly::NormalizeIdentifier(*values[i]).size() >= 7) ++parts;
  }
  text += ": values 0 to " + std::to_string(source - 1) + " gave " + std::to_string(parts) +
          (parts == 1 ? " part" : " parts") + " of the 3 it needs";
  return text;
}

}  // namespace

namespace internal {

std::string GetCode(wmi::ComRuntime& runtime) {
  LocatorWatch watch(runtime);
  WmiHardwareSources sources(watch);
  NullLog no_log;
  CodeAssembly assembly(sources, no_log);
  Text code;
  try {
    code = assembly.GetSystemCode();
  } catch (const Exception& e) {
    throw std::runtime_error(e.what());
  }
  if (watch.NeverObtained()) {
    throw HardwareUnavailable("the WMI locator could not be created: " +
                              ToUtf8(wmi::OleSystemErrorText(runtime, watch.Failure())));
  }
  return ToUtf8(code);
}

}  // namespace internal

std::string GetCode() {
  // The WMI readers need a COM apartment on the calling thread; a thread
  // that already has one (of either kind) keeps it.
  wmi::ComApartment apartment;
  return internal::GetCode(wmi::PlatformComRuntime());
}

std::string CodeFromValues(const SourceValues& values) {
  RecordedValues recorded;
  for (int i = 0; i < kSourceCount; ++i) {
    if (values[i]) recorded[i] = FromUtf8(*values[i]);
  }
  ReplayResult replay = ReplayPress(recorded);
  if (replay.status == ReplayResult::Status::kUnreadSources) {
    // Values past the point where the derivation stops are never read by the
    // window either (an inventory has all seven): drop them and replay.
    for (int i = replay.source; i < kSourceCount; ++i) recorded[i].reset();
    replay = ReplayPress(recorded);
  }
  if (replay.status == ReplayResult::Status::kMissingSource) {
    throw std::invalid_argument(MissingValueProblem(recorded, replay.source));
  }
  if (replay.status != ReplayResult::Status::kOk) throw std::logic_error("the replay of the values failed");
  return ToUtf8(replay.code);
}

}  // namespace syscode

namespace {

// The detail of this thread's last failing call. A fixed buffer: nothing to
// destroy at thread exit, which matters in a DLL.
constexpr std::size_t kMessageSize = 512;
thread_local char last_error_message[kMessageSize] = "";

void SetLastErrorMessage(const std::string& message) {
  std::size_t length = std::min(message.size(), kMessageSize - 1);
  // Never cut a UTF-8 sequence in two.
  while (length > 0 && length < message.size() && (static_cast<unsigned char>(message[length]) & 0xC0) == 0x80) {
    --length;
  }
  std::memcpy(last_error_message, message.data(), length);
  last_error_message[length] = '\0';
}

// A failing call's result: the detail noted, the buffer left empty.
int Fail(int result, const std::string& detail, char* buf, std::size_t size) {
  SetLastErrorMessage(detail);
  if (buf != nullptr && size > 0) buf[0] = '\0';
  return result;
}

// Copies the code with its NUL; the C result convention.
int CopyOut(const std::string& code, char* buf, std::size_t size) {
  if (size < code.size() + 1) {
    return Fail(SYSCODE_ERROR_BUFFER_TOO_SMALL,
                "the code has " + std::to_string(code.size()) + " characters and needs a buffer of " +
                    std::to_string(code.size() + 1) + " bytes, but size is " + std::to_string(size),
                buf, size);
  }
  std::memcpy(buf, code.c_str(), code.size() + 1);
  return static_cast<int>(code.size());
}

std::string NullBufferProblem(std::size_t size) { return "buf is NULL, but size is " + std::to_string(size); }

}  // namespace

extern "C" {

int syscode_get_code(char* buf, size_t size) {
  if (buf == nullptr && size != 0) return Fail(SYSCODE_ERROR_ARGUMENT, NullBufferProblem(size), buf, size);
  try {
    return CopyOut(syscode::GetCode(), buf, size);
  } catch (const syscode::internal::HardwareUnavailable& e) {
    return Fail(SYSCODE_ERROR_HARDWARE, e.what(), buf, size);
  } catch (const std::bad_alloc&) {
    return Fail(SYSCODE_ERROR_INTERNAL, "out of memory", buf, size);
  } catch (const std::exception& e) {
    return Fail(SYSCODE_ERROR_INTERNAL, e.what(), buf, size);
  } catch (...) {
    return Fail(SYSCODE_ERROR_INTERNAL, "unexpected failure", buf, size);
  }
}

int syscode_code_from_values(const char* const values[SYSCODE_SOURCE_COUNT], char* buf, size_t size) {
  if (buf == nullptr && size != 0) return Fail(SYSCODE_ERROR_ARGUMENT, NullBufferProblem(size), buf, size);
  if (values == nullptr) return Fail(SYSCODE_ERROR_ARGUMENT, "values is NULL", buf, size);
  try {
    syscode::SourceValues given;
    for (int i = 0; i < SYSCODE_SOURCE_COUNT; ++i) {
      if (values[i] != nullptr) given[i] = std::string(values[i]);
    }
    return CopyOut(syscode::CodeFromValues(given), buf, size);
  } catch (const std::invalid_argument& e) {
    return Fail(SYSCODE_ERROR_VALUES, e.what(), buf, size);
  } catch (const std::bad_alloc&) {
    return Fail(SYSCODE_ERROR_INTERNAL, "out of memory", buf, size);
  } catch (const std::exception& e) {
    return Fail(SYSCODE_ERROR_INTERNAL, e.what(), buf, size);
  } catch (...) {
    return Fail(SYSCODE_ERROR_INTERNAL, "unexpected failure", buf, size);
  }
}

const char* syscode_error_text(int result) {
  switch (result) {
    case SYSCODE_ERROR_ARGUMENT: return "a required pointer is NULL";
    case SYSCODE_ERROR_BUFFER_TOO_SMALL: return "the buffer is too small for the code";
    case SYSCODE_ERROR_VALUES: return "the values are not those of one press";
    case SYSCODE_ERROR_HARDWARE: return "the hardware could not be queried";
    case SYSCODE_ERROR_INTERNAL: return "internal failure";
    default: return result >= 0 ? "ok" : "unknown error";
  }
}

const char* syscode_last_error_message(void) { return last_error_message; }

const char* syscode_version(void) { return SYSCODE_VERSION_STRING; }

}  // extern "C"

// ---- Decoding a diagnostic log and checking a code (JSON reports) ----

#include <cstdlib>
#include <string_view>

#include "syscode/code_check.h"

namespace {

// A copy of `text` in memory the caller releases with syscode_free.
char* NewCString(const std::string& text) {
  char* out = static_cast<char*>(std::malloc(text.size() + 1));
  if (out != nullptr) std::memcpy(out, text.c_str(), text.size() + 1);
  return out;
}

}  // namespace

extern "C" {

char* syscode_decode_log(const char* bytes, size_t length) {
  if (bytes == nullptr && length != 0) {
    SetLastErrorMessage("bytes is NULL, but length is " + std::to_string(length));
    return nullptr;
  }
  try {
    char* json = NewCString(syscode::DecodeLogJson(std::string_view(bytes == nullptr ? "" : bytes, length)));
    if (json == nullptr) SetLastErrorMessage("out of memory");
    return json;
  } catch (const std::bad_alloc&) {
    SetLastErrorMessage("out of memory");
  } catch (const std::exception& e) {
    SetLastErrorMessage(e.what());
  } catch (...) {
    SetLastErrorMessage("unexpected failure");
  }
  return nullptr;
}

int syscode_check_code(const char* code, const char* log_bytes, size_t log_length, char** report) {
  if (report != nullptr) *report = nullptr;
  if (code == nullptr) return Fail(SYSCODE_ERROR_ARGUMENT, "code is NULL", nullptr, 0);
  try {
    const syscode::Text typed = syscode::FromUtf8(code);
    syscode::Text normalized;
    syscode::Text problem;
    if (!syscode::NormalizeTypedCode(typed, &normalized, &problem)) {
      return Fail(SYSCODE_ERROR_ARGUMENT, "the code is no system code: " + syscode::ToUtf8(problem), nullptr, 0);
    }
    std::vector<syscode::CheckCandidate> candidates;
    const bool against_log = log_bytes != nullptr;
    if (against_log) {
      if (log_length > syscode::kMaxLogBytes) {
        return Fail(SYSCODE_ERROR_ARGUMENT,
                    "the log has " + std::to_string(log_length) + " bytes, more than a log can have (" +
                        std::to_string(syscode::kMaxLogBytes) + ")",
                    nullptr, 0);
      }
      syscode::CandidatesOfLogBytes(std::string_view(log_bytes, log_length), std::nullopt, &candidates);
    } else {
      // This machine's first press, as syscode_get_code gives it: an
      // unreachable WMI is a hardware error, not a code that matches nothing.
      wmi::ComApartment apartment;
      const syscode::Text machine_code = syscode::FromUtf8(syscode::internal::GetCode(wmi::PlatformComRuntime()));
      // The mask digits stand first (low) and last (high) in the code.
      auto digit = [](char16_t c) { return c <= u'9' ? c - u'0' : c - u'A' + 10; };
      const auto mask = static_cast<std::uint8_t>(digit(machine_code.back()) << 4 | digit(machine_code.front()));
      candidates.push_back({machine_code, mask, std::nullopt, 0, 0, 0});
    }
    const syscode::CheckResult result = syscode::CheckCode(typed, candidates);
    if (report != nullptr) {
      *report = NewCString(syscode::JsonText(syscode::CheckJson(result, candidates, against_log)));
      if (*report == nullptr) return Fail(SYSCODE_ERROR_INTERNAL, "out of memory", nullptr, 0);
    }
    return result.match ? 1 : 0;
  } catch (const syscode::internal::HardwareUnavailable& e) {
    return Fail(SYSCODE_ERROR_HARDWARE, e.what(), nullptr, 0);
  } catch (const std::bad_alloc&) {
    return Fail(SYSCODE_ERROR_INTERNAL, "out of memory", nullptr, 0);
  } catch (const std::exception& e) {
    return Fail(SYSCODE_ERROR_INTERNAL, e.what(), nullptr, 0);
  } catch (...) {
    return Fail(SYSCODE_ERROR_INTERNAL, "unexpected failure", nullptr, 0);
  }
}

void syscode_free(void* p) { std::free(p); }

}  // extern "C"
