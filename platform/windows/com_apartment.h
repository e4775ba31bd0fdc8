// The COM set-up of the program's main thread: OLE, then a single-threaded
// COM apartment, for the whole run. Every WMI query relies on it.
#pragma once

namespace syscode::win {

class ComApartment {
 public:
  // OleInitialize(nullptr), then CoInitialize(nullptr); remembers which
  // succeeded.
  ComApartment();
  // CoUninitialize, then OleUninitialize, each only if its initialization
  // succeeded.
  ~ComApartment();
  ComApartment(const ComApartment&) = delete;
  ComApartment& operator=(const ComApartment&) = delete;

  bool ole_initialized() const { return ole_initialized_; }
  bool com_initialized() const { return com_initialized_; }

 private:
  bool ole_initialized_ = false;
  bool com_initialized_ = false;
};

}  // namespace syscode::win
