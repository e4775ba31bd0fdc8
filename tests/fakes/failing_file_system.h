// Fault injection at the file seam: fails the N-th call of one operation
// with a given Windows error code, forwarding everything else. It can also
// make every write short (a full disk takes part of a line before it
// fails) and make the existence test fail, which reports "missing" for a
// file that is there.
#pragma once

#include <algorithm>
#include <cstddef>
#include <string>
#include <string_view>

#include "base/file_system.h"

namespace fakes {

class NthCallFailingFileSystem : public syscode::ForwardingFileSystem {
 public:
  enum class Op { kCreate, kAppend, kOpen /* create or append */, kWrite, kClose, kExists };

  NthCallFailingFileSystem(syscode::FileSystem& target, Op op, int nth, int code)
      : ForwardingFileSystem(target), op_(op), nth_(nth), code_(code) {}

  // Every write takes at most `bytes` bytes (0: no limit); with kWrite the
  // N-th write still fails, after the earlier short writes took their part.
  void set_short_writes(std::size_t bytes) { short_writes_ = bytes; }

  int Create(const syscode::Text& name, Handle* handle) override {
    if (Hit(Op::kCreate)) return code_;
    return ForwardingFileSystem::Create(name, handle);
  }
  int OpenForAppend(const syscode::Text& name, Handle* handle) override {
    if (Hit(Op::kAppend)) return code_;
    return ForwardingFileSystem::OpenForAppend(name, handle);
  }
  int Write(Handle handle, std::string_view bytes, std::size_t* written) override {
    ++writes_;
    if (Hit(Op::kWrite)) return code_;
    if (short_writes_ != 0) bytes = bytes.substr(0, std::min(bytes.size(), short_writes_));
    return ForwardingFileSystem::Write(handle, bytes, written);
  }
  int Close(Handle handle) override {
    const int real = ForwardingFileSystem::Close(handle);  // the handle goes either way
    if (Hit(Op::kClose)) return code_;
    return real;
  }
  bool FileExists(const syscode::Text& name) override {
    if (Hit(Op::kExists)) return false;  // what a failed stat() reports
    return ForwardingFileSystem::FileExists(name);
  }
  int open_count() const { return opens_; }
  int write_count() const { return writes_; }

 private:
  bool Hit(Op op) {
    const bool is_open = op == Op::kCreate || op == Op::kAppend;
    if (is_open) ++opens_;
    const bool counts = op == op_ || (op_ == Op::kOpen && is_open);
    if (!counts) return false;
    return ++seen_ == nth_;
  }

  Op op_;
  int nth_;
  int code_;
  int seen_ = 0;
  int opens_ = 0;
  int writes_ = 0;
  std::size_t short_writes_ = 0;
};

}  // namespace fakes
