// The COM set-up a thread needs before it runs WMI queries: a
// single-threaded apartment (CoInitialize) and, for the program's main
// thread, OLE first (OleInitialize), as the window holds them for its whole
// run. Each is undone at the end only if it succeeded, so a thread that
// already has an apartment of another kind keeps it. Where there is no COM
// (Linux, where our own layer answers the queries) it does nothing.
#pragma once

namespace wmi {

class ComApartment {
 public:
  enum class Mode {
    kCom,        // CoInitialize only: the command line and the library
    kOleAndCom,  // OleInitialize, then CoInitialize: the window's main thread
  };

  explicit ComApartment(Mode mode = Mode::kCom);
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

}  // namespace wmi
