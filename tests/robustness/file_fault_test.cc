// Every file operation of every log line of a press, and of a save, failed
// in turn: the earlier lines stay complete, the window is in the state its
// state table names, the message is the file-error text with ".", and
// nothing is reported as success.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "app/main_form.h"
#include "fakes/failing_file_system.h"
#include "fakes/fake_sources.h"
#include "fakes/fake_view.h"
#include "fakes/temp_dir.h"
#include "base/errors.h"

namespace {

using fakes::NthCallFailingFileSystem;
using Op = fakes::NthCallFailingFileSystem::Op;
using syscode::Text;

const std::array<Text, 7> kValues = {u"BFEBFBFF000306A9", u"1.02b", u"mb.42/77zx-r", u"S1A7-QX92-KM3", u"", u"", u""};
const char* const kLines[] = {"CpuId = BFEBFBFF000306A9\r\n", "BiosVersion = 1.02b\r\n",
                              "BaseBordSerialNumber = mb.42/77zx-r\r\n", "HardDiskSerialNumber = S1A7-QX92-KM3\r\n",
                              "--------------------------------------------------\r\n"};
// A source's line is written before its value is examined, so a failed
// line leaves only the bits of the sources before it.
constexpr std::uint8_t kBitsBeforeLine[] = {0x00, 0x01, 0x01, 0x09, 0x19};
const Text kEmptyGroups = u"     -     -     -     -     ";

struct Window {
  explicit Window(syscode::FileSystem& fs) : log(fs), form(view, sources, log, fs, u"Syscode") { form.FormCreate(); }
  fakes::FakeView view;
  fakes::FixedSources sources{kValues};
  syscode::DiagnosticLog log;
  app::TMainForm form;
};

TEST(FileFaultTest, EveryLogOperationOfAPressFailsInTurn) {
  for (Op op : {Op::kOpen, Op::kWrite, Op::kClose}) {
    for (int line = 1; line <= 5; ++line) {
      SCOPED_TRACE("op " + std::to_string(static_cast<int>(op)) + " line " + std::to_string(line));
      fakes::ScopedWorkingDirectory dir;
      NthCallFailingFileSystem fs(syscode::SystemFileSystem(), op, line, 112);
      Window w(fs);
      w.form.Dispatch(&app::TMainForm::Button1Click);

      // A failed open or write loses that line; a failed close comes after
      // the line reached the file.
      const int complete = op == Op::kClose ? line : line - 1;
      std::string expected;
      for (int i = 0; i < complete; ++i) expected += kLines[i];
      EXPECT_EQ(fakes::ReadBytes("LogD.txt"), expected);

      ASSERT_EQ(w.view.messages.size(), 1u);
      EXPECT_EQ(w.view.messages[0], u"I/O error 112.");
      EXPECT_EQ(w.view.message_captions[0], u"Syscode");
      EXPECT_EQ(w.form.ComputerId(), u"");
      EXPECT_FALSE(w.view.save_enabled);
      EXPECT_EQ(w.view.field, kEmptyGroups);
      EXPECT_EQ(w.form.ExistItem(), kBitsBeforeLine[line - 1]);

      // The next press, with the file working again, gives the code and
      // the window reaches its "code shown" state.
      fakes::NthCallFailingFileSystem healthy(syscode::SystemFileSystem(), op, 0, 0);
      syscode::DiagnosticLog log(healthy);
      app::TMainForm second(w.view, w.sources, log, healthy, u"Syscode");
      second.FormCreate();
      second.Dispatch(&app::TMainForm::Button1Click);
      EXPECT_EQ(second.ComputerId(), u"900603007249AQRXZ7MK29X31");
    }
  }
}

std::string AllLines() {
  std::string all;
  for (const char* line : kLines) all += line;
  return all;
}

// An existence test that fails reports "missing" for the log that is there;
// it must not decide that the log is emptied. The 15 lines of three earlier
// presses stay and the press adds its five.
TEST(FileFaultTest, FailedExistenceTestKeepsTheLog) {
  for (int nth = 1; nth <= 5; ++nth) {
    SCOPED_TRACE("existence test " + std::to_string(nth));
    fakes::ScopedWorkingDirectory dir;
    const std::string earlier = AllLines() + AllLines() + AllLines();
    fakes::WriteBytes("LogD.txt", earlier);
    NthCallFailingFileSystem fs(syscode::SystemFileSystem(), Op::kExists, nth, 0);
    Window w(fs);
    w.form.Dispatch(&app::TMainForm::Button1Click);
    EXPECT_TRUE(w.view.messages.empty());
    EXPECT_EQ(w.form.ComputerId(), u"900603007249AQRXZ7MK29X31");
    EXPECT_EQ(fakes::ReadBytes("LogD.txt"), earlier + AllLines());
  }
}

// A write may take only part of what it is given. Short writes that go on
// give the same log; a short write followed by a full disk ends the press
// with the file error, never as a success over half a line.
TEST(FileFaultTest, ShortWritesAreCompletedOrReported) {
  for (std::size_t chunk : {1u, 7u, 25u}) {
    SCOPED_TRACE("writes of at most " + std::to_string(chunk) + " bytes");
    fakes::ScopedWorkingDirectory dir;
    NthCallFailingFileSystem fs(syscode::SystemFileSystem(), Op::kWrite, 0, 0);
    fs.set_short_writes(chunk);
    Window w(fs);
    w.form.Dispatch(&app::TMainForm::Button1Click);
    EXPECT_TRUE(w.view.messages.empty());
    EXPECT_EQ(w.form.ComputerId(), u"900603007249AQRXZ7MK29X31");
    EXPECT_EQ(fakes::ReadBytes("LogD.txt"), AllLines());
    EXPECT_GT(fs.write_count(), 5);
  }
  struct Case {
    int failing_write;  // with writes of 10 bytes
    const char* left;   // the log afterwards
    std::uint8_t bits;
  } cases[] = {
      {1, "", 0x00},
      {3, "CpuId = BFEBFBFF0003", 0x00},  // 20 of the line's 26 bytes
      {4, "CpuId = BFEBFBFF000306A9\r\n", 0x01},
      {5, "CpuId = BFEBFBFF000306A9\r\nBiosVersio", 0x01},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE("write " + std::to_string(c.failing_write) + " fails");
    fakes::ScopedWorkingDirectory dir;
    NthCallFailingFileSystem fs(syscode::SystemFileSystem(), Op::kWrite, c.failing_write, 112);
    fs.set_short_writes(10);
    Window w(fs);
    w.form.Dispatch(&app::TMainForm::Button1Click);
    ASSERT_EQ(w.view.messages.size(), 1u);
    EXPECT_EQ(w.view.messages[0], u"I/O error 112.");
    EXPECT_EQ(w.form.ComputerId(), u"");
    EXPECT_FALSE(w.view.save_enabled);
    EXPECT_EQ(w.form.ExistItem(), c.bits);
    EXPECT_EQ(fakes::ReadBytes("LogD.txt"), c.left);
  }
}

TEST(FileFaultTest, LaterFailureKeepsThePreviousCodeSaveable) {
  fakes::ScopedWorkingDirectory dir;
  NthCallFailingFileSystem fs(syscode::SystemFileSystem(), Op::kOpen, 6, 5);  // 1st line of press 2
  Window w(fs);
  w.form.Dispatch(&app::TMainForm::Button1Click);
  ASSERT_EQ(w.form.ComputerId(), u"900603007249AQRXZ7MK29X31");
  w.form.Dispatch(&app::TMainForm::Button1Click);
  ASSERT_EQ(w.view.messages.size(), 1u);
  EXPECT_EQ(w.view.messages[0], u"File access denied.");
  EXPECT_EQ(w.form.ComputerId(), u"900603007249AQRXZ7MK29X31");
  EXPECT_EQ(w.view.field, u"90060-30072-49AQR-XZ7MK-29X31");
  EXPECT_TRUE(w.view.save_enabled);
}

TEST(FileFaultTest, EveryOperationOfASaveFailsInTurn) {
  struct Case {
    Op op;
    const char* left_behind;  // the saved file afterwards, nullptr: none
  } cases[] = {{Op::kCreate, nullptr}, {Op::kWrite, ""}, {Op::kClose, "900603007249AQRXZ7MK29X31\r\n"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.op));
    fakes::ScopedWorkingDirectory dir;
    // The press writes five lines first (five opens for appending, five
    // writes and closes); the save is the first create.
    NthCallFailingFileSystem fs(syscode::SystemFileSystem(), c.op, c.op == Op::kCreate ? 1 : 6, 32);
    Window w(fs);
    w.form.Dispatch(&app::TMainForm::Button1Click);
    ASSERT_TRUE(w.view.messages.empty());
    const Text target = syscode::FromUtf8((dir.path() / "code.txt").string());
    w.view.dialog_replies.push_back({true, target});
    w.form.Dispatch(&app::TMainForm::BitBtn2Click);
    ASSERT_EQ(w.view.messages.size(), 1u);
    EXPECT_EQ(w.view.messages[0], u"I/O error 32.");
    EXPECT_TRUE(w.view.save_enabled);
    EXPECT_EQ(w.form.ComputerId(), u"900603007249AQRXZ7MK29X31");
    EXPECT_EQ(w.form.SaveDialogFileName(), target);
    if (c.left_behind == nullptr) {
      EXPECT_FALSE(std::filesystem::exists("code.txt"));
    } else {
      EXPECT_EQ(fakes::ReadBytes("code.txt"), c.left_behind);
    }
  }
}

}  // namespace
