// The public library: this machine's code and the code of recorded values,
// through the same CodeAssembly as the window, with no log file.
#include "syscode/syscode.h"

#include <cstring>
#include <new>
#include <stdexcept>

#include "syscode/code_assembly.h"
#include "syscode/diagnostic_log.h"
#include "syscode/errors.h"
#include "syscode/log_decoder.h"
#include "syscode/readers.h"
#include "syscode/version.h"

#ifdef _WIN32
#include <objbase.h>
#endif

namespace syscode {

namespace {

// The WMI readers need a COM apartment on the calling thread. A thread that
// already has one (of either kind) keeps it.
class ComApartment {
 public:
#ifdef _WIN32
  ComApartment() : initialized_(SUCCEEDED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {}
  ~ComApartment() {
    if (initialized_) ::CoUninitialize();
  }

 private:
  bool initialized_;
#endif
};

std::string ValuesProblem(const ReplayResult& replay) {
  const std::string name = ToUtf8(kSources[replay.source].name);
  const std::string index = std::to_string(replay.source);
  if (replay.status == ReplayResult::Status::kMissingSource) {
    return "value " + index + " (" + name + ") is missing, but the derivation reads it";
  }
  return "value " + index + " (" + name + ") is given, but the derivation stops before it";
}

}  // namespace

std::string GetCode() {
  [[maybe_unused]] ComApartment apartment;
  WmiHardwareSources sources;
  NullLog no_log;
  CodeAssembly assembly(sources, no_log);
  try {
    return ToUtf8(assembly.GetSystemCode());
  } catch (const Exception& e) {
    throw std::runtime_error(e.what());
  }
}

std::string CodeFromValues(const SourceValues& values) {
  RecordedValues recorded;
  for (int i = 0; i < kSourceCount; ++i) {
    if (values[i]) recorded[i] = FromUtf8(*values[i]);
  }
  const ReplayResult replay = ReplayPress(recorded);
  if (replay.status != ReplayResult::Status::kOk) throw std::invalid_argument(ValuesProblem(replay));
  return ToUtf8(replay.code);
}

}  // namespace syscode

namespace {

// Copies the code with its NUL; the C result convention.
int CopyOut(const std::string& code, char* buf, std::size_t size) {
  if (size < code.size() + 1) {
    if (size > 0) buf[0] = '\0';
    return SYSCODE_ERROR_BUFFER_TOO_SMALL;
  }
  std::memcpy(buf, code.c_str(), code.size() + 1);
  return static_cast<int>(code.size());
}

}  // namespace

extern "C" {

int syscode_get_code(char* buf, size_t size) {
  if (buf == nullptr && size != 0) return SYSCODE_ERROR_ARGUMENT;
  try {
    return CopyOut(syscode::GetCode(), buf, size);
  } catch (const std::runtime_error&) {
    return SYSCODE_ERROR_HARDWARE;
  } catch (...) {
    return SYSCODE_ERROR_INTERNAL;
  }
}

int syscode_code_from_values(const char* const values[SYSCODE_SOURCE_COUNT], char* buf, size_t size) {
  if (values == nullptr || (buf == nullptr && size != 0)) return SYSCODE_ERROR_ARGUMENT;
  try {
    syscode::SourceValues given;
    for (int i = 0; i < SYSCODE_SOURCE_COUNT; ++i) {
      if (values[i] != nullptr) given[i] = std::string(values[i]);
    }
    return CopyOut(syscode::CodeFromValues(given), buf, size);
  } catch (const std::invalid_argument&) {
    return SYSCODE_ERROR_VALUES;
  } catch (...) {
    return SYSCODE_ERROR_INTERNAL;
  }
}

const char* syscode_error_text(int result) {
  switch (result) {
    case SYSCODE_ERROR_ARGUMENT:
      return "a required pointer is NULL";
    case SYSCODE_ERROR_BUFFER_TOO_SMALL:
      return "the buffer is too small for the code";
    case SYSCODE_ERROR_VALUES:
      return "the values are not those of one press";
    case SYSCODE_ERROR_HARDWARE:
      return "the hardware could not be queried";
    case SYSCODE_ERROR_INTERNAL:
      return "internal failure";
    default:
      return result >= 0 ? "ok" : "unknown error";
  }
}

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
  if (bytes == nullptr && length != 0) return nullptr;
  try {
    return NewCString(syscode::DecodeLogJson(std::string_view(bytes == nullptr ? "" : bytes, length)));
  } catch (...) {
    return nullptr;
  }
}

int syscode_check_code(const char* code, const char* log_bytes, size_t log_length, char** report) {
  if (report != nullptr) *report = nullptr;
  if (code == nullptr) return SYSCODE_ERROR_ARGUMENT;
  try {
    const syscode::Text typed = syscode::FromUtf8(code);
    syscode::Text normalized;
    syscode::Text problem;
    if (!syscode::NormalizeTypedCode(typed, &normalized, &problem)) return SYSCODE_ERROR_ARGUMENT;
    std::vector<syscode::CheckCandidate> candidates;
    const bool against_log = log_bytes != nullptr;
    if (against_log) {
      if (log_length > syscode::kMaxLogBytes) return SYSCODE_ERROR_ARGUMENT;
      syscode::CandidatesOfLogBytes(std::string_view(log_bytes, log_length), std::nullopt, &candidates);
    } else {
      [[maybe_unused]] syscode::ComApartment apartment;
      syscode::WmiHardwareSources sources;
      syscode::NullLog no_log;
      syscode::CodeAssembly assembly(sources, no_log);
      const syscode::Text machine_code = assembly.GetSystemCode();
      candidates.push_back({machine_code, assembly.ExistItem(), std::nullopt, 0, 0, 0});
    }
    const syscode::CheckResult result = syscode::CheckCode(typed, candidates);
    if (report != nullptr) {
      *report = NewCString(syscode::JsonText(syscode::CheckJson(result, candidates, against_log)));
      if (*report == nullptr) return SYSCODE_ERROR_INTERNAL;
    }
    return result.match ? 1 : 0;
  } catch (const std::bad_alloc&) {
    return SYSCODE_ERROR_INTERNAL;
  } catch (const syscode::Exception&) {
    return SYSCODE_ERROR_HARDWARE;
  } catch (...) {
    return SYSCODE_ERROR_INTERNAL;
  }
}

void syscode_free(void* p) { std::free(p); }

}  // extern "C"
