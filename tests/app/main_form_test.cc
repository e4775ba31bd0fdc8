#include "app/main_form.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "fakes/fake_sources.h"
#include "fakes/fake_view.h"
#include "base/errors.h"
#include "fakes/file_bytes.h"

namespace {

using app::MaskedField;
using app::TMainForm;
using fakes::FixedSources;
using fakes::MemoryLog;
using syscode::Text;

// Sources whose first press yields "B00FEDCBKJI1GP2NMLUTSRQ30" (mask 0x0B).
const std::array<Text, 7> kThreeParts = {u"ABCDEFG1", u"HIJKLMN2", u"OPQRSTU3", u"", u"", u"", u""};
const Text kThreePartsCode = u"B00FEDCBKJI1GP2NMLUTSRQ30";
// No usable source: a 4-character code.
const std::array<Text, 7> kNoParts = {u"", u"", u"", u"", u"", u"", u""};

const Text kEmptyGroups = u"     -     -     -     -     ";

using fakes::FakeView;

// Fails every Create with one error code.
class FailingCreate : public syscode::ForwardingFileSystem {
 public:
  FailingCreate(syscode::FileSystem& target, int code) : ForwardingFileSystem(target), code_(code) {}
  int Create(const Text&, Handle*) override { return code_; }

 private:
  int code_;
};

using fakes::ReadBytes;

Text PathText(const std::filesystem::path& path) { return path.u16string(); }

class MainFormTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = std::filesystem::temp_directory_path() /
           ("syscode_app_test_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    std::filesystem::remove_all(dir_);
    std::filesystem::create_directories(dir_);
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }

  // A window made and shown the way the program does it.
  TMainForm& Open(syscode::FileSystem& files = syscode::SystemFileSystem()) {
    form_ = std::make_unique<TMainForm>(view_, sources_, log_, files, u"Syscode");
    form_->FormCreate();
    return *form_;
  }
  void FailLogLine(int line, int code) {
    log_.fail_at = log_.count + line;
    log_.fail = [code] { throw syscode::FileError(code, u"LogD.txt"); };
  }

  std::filesystem::path dir_;
  FakeView view_;
  FixedSources sources_{kThreeParts};
  MemoryLog log_;
  std::unique_ptr<TMainForm> form_;
};

TEST_F(MainFormTest, FreshWindowShowsEmptyFieldWithoutMaskAndSaveDisabled) {
  TMainForm& form = Open();
  EXPECT_EQ(view_.field, u"");
  EXPECT_EQ(view_.field_max_length, 0);
  EXPECT_FALSE(view_.save_enabled);
  EXPECT_EQ(form.ComputerId(), u"");
  EXPECT_EQ(form.ExistItem(), 0);
  EXPECT_EQ(form.SaveDialogFileName(), u"HardwareInfo.txt");
  EXPECT_TRUE(sources_.calls.empty()) << "no hardware is read before the first click";
}

struct ClickCase {
  const char* name;
  std::array<Text, 7> values;
  Text code;
  Text shown;
};

void PrintTo(const ClickCase& c, std::ostream* os) { *os << c.name; }

class MainFormClickCases : public MainFormTest, public ::testing::WithParamInterface<ClickCase> {};

TEST_P(MainFormClickCases, ClickShowsCodeInGroupsAndEnablesSave) {
  const ClickCase& c = GetParam();
  sources_.values = c.values;
  TMainForm& form = Open();
  form.Dispatch(&TMainForm::Button1Click);
  EXPECT_TRUE(view_.messages.empty());
  EXPECT_EQ(form.ComputerId(), c.code);
  EXPECT_EQ(view_.field, c.shown);
  EXPECT_EQ(view_.field.size(), 29u);
  EXPECT_EQ(view_.field_max_length, 29);
  EXPECT_TRUE(view_.save_enabled);
}

INSTANTIATE_TEST_SUITE_P(Table, MainFormClickCases,
                         ::testing::Values(ClickCase{"full", kThreeParts, kThreePartsCode,
                                                     u"B00FE-DCBKJ-I1GP2-NMLUT-SRQ30"},
                                           ClickCase{"short", kNoParts, u"0000", u"0000 -     -     -     -     "}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(MaskedFieldTest, DisplayRule) {
  struct Case {
    Text value;
    Text shown;
  };
  const Case cases[] = {
      {u"ABCDEFGHIJKLMNOPQRSTUVWXY", u"ABCDE-FGHIJ-KLMNO-PQRST-UVWXY"},
      {u"8000", u"8000 -     -     -     -     "},
      {u"", kEmptyGroups},
      // Characters are placed as they are, not tested; extra ones are dropped.
      {u"ab-de", u"ab-de-     -     -     -     "},
      {u"ABCDEFGHIJKLMNOPQRSTUVWXYZ", u"ABCDE-FGHIJ-KLMNO-PQRST-UVWXY"},
  };
  for (const Case& c : cases) {
    MaskedField field;
    field.SetEditMask(app::kCodeEditMask);
    field.SetValue(c.value);
    EXPECT_EQ(field.Shown(), c.shown) << syscode::ToUtf8(c.value);
    EXPECT_EQ(field.MaxLength(), 29);
  }
}

TEST(MaskedFieldTest, EmptyMaskShowsPlainTextWithoutLimit) {
  MaskedField field;
  field.SetEditMask(u"");
  EXPECT_EQ(field.Shown(), u"");
  EXPECT_EQ(field.MaxLength(), 0);
  field.SetValue(u"ABCDEFGHIJKLMNOPQRSTUVWXY");
  EXPECT_EQ(field.Shown(), u"ABCDEFGHIJKLMNOPQRSTUVWXY");
}

TEST_F(MainFormTest, SecondClickReplacesCodeAndKeepsMaskBitsOfFirst) {
  TMainForm& form = Open();
  form.Dispatch(&TMainForm::Button1Click);
  ASSERT_EQ(form.ExistItem(), 0x0B);
  sources_.values = {u"", u"", u"", u"", u"", u"", u"2864434397"};
  form.Dispatch(&TMainForm::Button1Click);
  // No part this time: the body is empty, the mask still carries 0x0B|0x80.
  EXPECT_EQ(form.ExistItem(), 0x8B);
  EXPECT_EQ(form.ComputerId(), u"B008");
  EXPECT_EQ(view_.field, u"B008 -     -     -     -     ");
  EXPECT_EQ(form.Edit1().EditMask(), app::kCodeEditMask);
  EXPECT_TRUE(view_.save_enabled);
}

TEST_F(MainFormTest, FirstClickLogFailureLeavesEmptyGroupsAndSaveDisabled) {
  TMainForm& form = Open();
  FailLogLine(1, syscode::oserr::kAccessDenied);
  form.Dispatch(&TMainForm::Button1Click);
  ASSERT_EQ(view_.messages.size(), 1u);
  EXPECT_EQ(view_.messages[0], u"File access denied.");
  EXPECT_EQ(view_.message_captions[0], u"Syscode");
  EXPECT_EQ(view_.field, kEmptyGroups);
  EXPECT_EQ(view_.field_max_length, 29);
  EXPECT_FALSE(view_.save_enabled);
  EXPECT_EQ(form.ComputerId(), u"");
}

TEST_F(MainFormTest, LaterFailureKeepsPreviousCodeSaveable) {
  TMainForm& form = Open();
  form.Dispatch(&TMainForm::Button1Click);
  FailLogLine(2, syscode::oserr::kSharingViolation);
  form.Dispatch(&TMainForm::Button1Click);
  ASSERT_EQ(view_.messages.size(), 1u);
  EXPECT_EQ(view_.messages[0], u"I/O error 32.");
  EXPECT_EQ(form.ComputerId(), kThreePartsCode);
  EXPECT_EQ(view_.field, u"B00FE-DCBKJ-I1GP2-NMLUT-SRQ30");
  EXPECT_TRUE(view_.save_enabled);

  const auto path = dir_ / "after_failure.txt";
  view_.dialog_replies.push_back({true, PathText(path)});
  form.Dispatch(&TMainForm::BitBtn2Click);
  EXPECT_EQ(ReadBytes(path), "B00FEDCBKJI1GP2NMLUTSRQ30\r\n");
}

TEST_F(MainFormTest, CancelledDialogWritesNothingAndKeepsFileName) {
  TMainForm& form = Open();
  form.Dispatch(&TMainForm::Button1Click);
  view_.dialog_replies.push_back({false, u""});
  form.Dispatch(&TMainForm::BitBtn2Click);
  form.Dispatch(&TMainForm::BitBtn2Click);
  EXPECT_EQ(view_.dialog_offers, (std::vector<Text>{u"HardwareInfo.txt", u"HardwareInfo.txt"}));
  EXPECT_TRUE(view_.messages.empty());
  EXPECT_TRUE(std::filesystem::is_empty(dir_));
  EXPECT_TRUE(view_.save_enabled);
}

struct SaveCase {
  const char* name;
  std::array<Text, 7> values;
  std::string bytes;
};

void PrintTo(const SaveCase& c, std::ostream* os) { *os << c.name; }

class MainFormSaveCases : public MainFormTest, public ::testing::WithParamInterface<SaveCase> {};

TEST_P(MainFormSaveCases, SavedFileHoldsCodeAndCrLfOnly) {
  const SaveCase& c = GetParam();
  sources_.values = c.values;
  TMainForm& form = Open();
  form.Dispatch(&TMainForm::Button1Click);
  const auto path = dir_ / "code.txt";
  // Saving twice to one file replaces it: one line, not two.
  view_.dialog_replies = {{true, PathText(path)}, {true, PathText(path)}};
  form.Dispatch(&TMainForm::BitBtn2Click);
  form.Dispatch(&TMainForm::BitBtn2Click);
  EXPECT_TRUE(view_.messages.empty());
  EXPECT_EQ(ReadBytes(path), c.bytes);
  EXPECT_EQ(view_.dialog_offers, (std::vector<Text>{u"HardwareInfo.txt", PathText(path)}));
}

INSTANTIATE_TEST_SUITE_P(Table, MainFormSaveCases,
                         ::testing::Values(SaveCase{"full", kThreeParts, "B00FEDCBKJI1GP2NMLUTSRQ30\r\n"},
                                           SaveCase{"short", kNoParts, "0000\r\n"}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(MainFormTest, FailedSaveKeepsPathForNextOpeningAndWindowUnchanged) {
  FailingCreate files(syscode::SystemFileSystem(), syscode::oserr::kAccessDenied);
  TMainForm& form = Open(files);
  form.Dispatch(&TMainForm::Button1Click);
  const Text path = PathText(dir_ / "denied.txt");
  view_.dialog_replies.push_back({true, path});
  form.Dispatch(&TMainForm::BitBtn2Click);
  ASSERT_EQ(view_.messages.size(), 1u);
  EXPECT_EQ(view_.messages[0], u"File access denied.");
  EXPECT_EQ(form.ComputerId(), kThreePartsCode);
  EXPECT_TRUE(view_.save_enabled);
  EXPECT_EQ(view_.field, u"B00FE-DCBKJ-I1GP2-NMLUT-SRQ30");
  form.Dispatch(&TMainForm::BitBtn2Click);
  EXPECT_EQ(view_.dialog_offers.back(), path);
  EXPECT_TRUE(std::filesystem::is_empty(dir_));
}

TEST_F(MainFormTest, SaveIntoMissingFolderReportsInvalidFileName) {
  TMainForm& form = Open();
  form.Dispatch(&TMainForm::Button1Click);
  const Text path = PathText(dir_ / "missing" / "code.txt");
  view_.dialog_replies.push_back({true, path});
  form.Dispatch(&TMainForm::BitBtn2Click);
  ASSERT_EQ(view_.messages.size(), 1u);
  EXPECT_EQ(view_.messages[0], u"Invalid file name - " + path + u".");
}

TEST_F(MainFormTest, PathLongerThanFileNameLimitIsRefusedWhole) {
  TMainForm& form = Open();
  form.Dispatch(&TMainForm::Button1Click);
  const Text path = PathText(dir_ / std::string(260, 'x'));
  view_.dialog_replies.push_back({true, path});
  form.Dispatch(&TMainForm::BitBtn2Click);
  ASSERT_EQ(view_.messages.size(), 1u);
  EXPECT_TRUE(std::filesystem::is_empty(dir_));
}

TEST_F(MainFormTest, ExitButtonClosesWindow) {
  TMainForm& form = Open();
  form.Dispatch(&TMainForm::BitBtn3Click);
  EXPECT_EQ(view_.close_calls, 1);
}

TEST_F(MainFormTest, ErrorMessageRuleAppendsPeriodAboveCode46) {
  struct Case {
    Text message;
    Text shown;
  };
  const Case cases[] = {
      {u"File access denied", u"File access denied."},
      {u"Done.", u"Done."},
      {u"x-", u"x-"},
      {u"x,", u"x,"},
      {u"x!", u"x!"},
      {u"(x)", u"(x)"},
      {u"x ", u"x "},
      {u"x/", u"x/."},
      {u"I/O error 112", u"I/O error 112."},
      {u"\u062e\u0637\u0627", u"\u062e\u0637\u0627."},
  };
  TMainForm& form = Open();
  for (const Case& c : cases) {
    form.HandleException(std::make_exception_ptr(syscode::Exception(c.message)));
    EXPECT_EQ(view_.messages.back(), c.shown) << syscode::ToUtf8(c.message);
    EXPECT_EQ(view_.message_captions.back(), u"Syscode");
  }
}

TEST(ApplicationTitleTest, FromProgramPath) {
  struct Case {
    Text path;
    Text title;
  };
  const Case cases[] = {
      {u"C:\\Tools\\syscode.exe", u"syscode"},
      {u"C:\\Tools\\SYSCODE.EXE", u"Syscode"},
      {u"C:\\Tools\\sysCode.v2.exe", u"syscode"},
      {u"Z:\\a.b\\MyTool.exe", u"Mytool"},
      {u"/opt/syscode/bin/Syscode", u"Syscode"},
      {u"SysCode.exe", u"Syscode"},
      {u"C:\\x\\.hidden", u""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(app::ApplicationTitleFromPath(c.path), c.title) << syscode::ToUtf8(c.path);
  }
}

}  // namespace
