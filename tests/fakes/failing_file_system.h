// Fault injection at the file seam: fails the N-th call of one operation
// with a given Windows error code, forwarding everything else.
#pragma once

#include <string>

#include "syscode/file_system.h"

namespace fakes {

class NthCallFailingFileSystem : public syscode::ForwardingFileSystem {
 public:
  enum class Op { kCreate, kAppend, kOpen /* create or append */, kWrite, kClose };

  NthCallFailingFileSystem(syscode::FileSystem& target, Op op, int nth, int code)
      : ForwardingFileSystem(target), op_(op), nth_(nth), code_(code) {}

  int Create(const syscode::Text& name, Handle* handle) override {
    if (Hit(Op::kCreate)) return code_;
    return ForwardingFileSystem::Create(name, handle);
  }
  int OpenForAppend(const syscode::Text& name, Handle* handle) override {
    if (Hit(Op::kAppend)) return code_;
    return ForwardingFileSystem::OpenForAppend(name, handle);
  }
  int Write(Handle handle, const std::string& bytes) override {
    if (Hit(Op::kWrite)) return code_;
    return ForwardingFileSystem::Write(handle, bytes);
  }
  int Close(Handle handle) override {
    const int real = ForwardingFileSystem::Close(handle);  // the handle goes either way
    if (Hit(Op::kClose)) return code_;
    return real;
  }
  int open_count() const { return opens_; }

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
};

}  // namespace fakes
