// Every WMI call of a press failed in turn, through the window logic, the
// readers and the query table: the press still completes, the failed
// source's log line carries its label with nothing after it, the code is the
// one the derivation gives with that source empty, no message box appears,
// every platform object is released and the window shows the code.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <map>
#include <string>
#include <vector>

#include "app/main_form.h"
#include "fakes/fake_sources.h"
#include "fakes/fake_view.h"
#include "fakes/fake_wmi.h"
#include "syscode/code_assembly.h"
#include "syscode/readers.h"
#include "wmi/property_text.h"
#include "wmi/wmiquery.h"

namespace {

using fakes::FakeComRuntime;
using fakes::Fault;
using fakes::Instance;
using fakes::Prop;
using fakes::TextProp;
using syscode::kSourceCount;
using syscode::kSources;
using syscode::Text;
using wmi::Variant;

const Text kNamespace = u"root\\CIMV2";
using Values = std::array<Text, kSourceCount>;

// A machine as WMI describes it: the five classes with the properties a
// real system shows (in WMI's alphabetical order), the values the readers
// take from them, and what the readers return.
struct Machine {
  const char* name;
  Variant processor_id, bios_version, board_serial, media_serial, bios_name, board_maker;
  Values read;  // what the seven readers return
};

const Machine kMachines[] = {
    // The first three sources give the code; sources 4 to 7 are read only
    // when one of them fails.
    {"first_three_usable",
     Variant::String(u"BFEBFBFF000306A9"),
     Variant::String(u"LENOVO - 1330"),
     Variant::String(u"L1HF45E07X2"),
     Variant::String(u" WD-WCC4N7PL1234"),
     Variant::String(u"Phoenix BIOS 4.0 Release 6.0"),
     Variant::String(u"LENOVO"),
     {u"BFEBFBFF000306A9", u"LENOVO - 1330", u"L1HF45E07X2", u"WD-WCC4N7PL1234", u"Phoenix BIOS 4.0 Release 6.0",
      u"LENOVO", u"305419896"}},
    // Sources 1 to 3 give nothing usable: every class is queried.
    {"all_seven_read",
     Variant::Null(),
     Variant::String(u"1.0"),
     Variant::Null(),
     Variant::String(u"S3Z9NB0K123456A"),
     Variant::String(u"V1.0"),
     Variant::String(u"ASUSTeK COMPUTER INC."),
     {u"", u"1.0", u"NULL", u"S3Z9NB0K123456A", u"V1.0", u"ASUSTeK COMPUTER INC.", u"305419896"}},
};

void Populate(FakeComRuntime& runtime, const Machine& m) {
  runtime.Class(kNamespace, u"Win32_Processor").instances = {
      Instance({TextProp(u"Caption", u"Intel64 Family 6 Model 58 Stepping 9"), TextProp(u"DeviceID", u"CPU0"),
                Prop(u"NumberOfCores", wmi::cim::kUint32, Variant::Int32(4)),
                Prop(u"ProcessorId", wmi::cim::kString, m.processor_id)})};
  runtime.Class(kNamespace, u"Win32_BIOS").instances = {
      Instance({TextProp(u"Manufacturer", u"LENOVO"), Prop(u"Name", wmi::cim::kString, m.bios_name),
                Prop(u"ReleaseDate", wmi::cim::kDatetime, Variant::String(u"20130515000000.000000+000")),
                Prop(u"Version", wmi::cim::kString, m.bios_version)})};
  runtime.Class(kNamespace, u"Win32_BaseBoard").instances = {
      Instance({Prop(u"Manufacturer", wmi::cim::kString, m.board_maker), TextProp(u"Product", u"20AN00F7US"),
                Prop(u"SerialNumber", wmi::cim::kString, m.board_serial)})};
  runtime.Class(kNamespace, u"Win32_PhysicalMedia").instances = {
      Instance({Prop(u"SerialNumber", wmi::cim::kString, m.media_serial), TextProp(u"Tag", u"\\\\.\\PHYSICALDRIVE0")}),
      Instance({TextProp(u"SerialNumber", u"0000_0000_0100_0000_E4D2"), TextProp(u"Tag", u"\\\\.\\PHYSICALDRIVE1")})};
  runtime.Class(kNamespace, u"Win32_DiskDrive").instances = {
      Instance({TextProp(u"Caption", u"WDC WD5000AAKX"), Prop(u"Index", wmi::cim::kUint32, Variant::Int32(0)),
                Prop(u"Signature", wmi::cim::kUint32, Variant::Int32(305419896)),
                Prop(u"Size", wmi::cim::kUint64, Variant::String(u"500105249280"))})};
}

// A window pressing its get-code button once over the WMI readers.
struct WmiWindow {
  explicit WmiWindow(const Machine& m) {
    Populate(runtime, m);
    form.FormCreate();
  }
  void Press() { form.Dispatch(&app::TMainForm::Button1Click); }

  FakeComRuntime runtime;
  syscode::WmiHardwareSources sources{runtime};
  fakes::FakeView view;
  fakes::MemoryLog log;
  app::TMainForm form{view, sources, log, syscode::SystemFileSystem(), u"Syscode"};
};

// The same window over fixed values: what a press gives when the readers
// return `values`.
struct ReferenceWindow {
  explicit ReferenceWindow(const Values& values) : sources(values) {
    form.FormCreate();
    form.Dispatch(&app::TMainForm::Button1Click);
  }
  fakes::FixedSources sources;
  fakes::FakeView view;
  fakes::MemoryLog log;
  app::TMainForm form{view, sources, log, syscode::SystemFileSystem(), u"Syscode"};
};

// The code the derivation gives for `values` in a new window.
Text CodeFor(const Values& values) {
  fakes::FixedSources sources(values);
  fakes::MemoryLog log;
  return syscode::CodeAssembly(sources, log).GetSystemCode();
}

std::string CallName(const std::string& entry) { return entry.substr(0, entry.find('(')); }

// One call of a recorded press: its name, its ordinal among calls of that
// name, the query it belongs to (each query starts by looking for a running
// locator), and whether the query had already stored its reader's cell
// (the header name of the reader's property was read).
struct RecordedCall {
  std::string entry;
  std::string name;
  int ordinal;
  int query;
  bool cell_stored;
};

std::vector<RecordedCall> Analyse(const std::vector<std::string>& log) {
  std::vector<RecordedCall> calls;
  std::map<std::string, int> ordinals;
  int query = -1;
  bool cell_stored = false;
  for (const std::string& entry : log) {
    const std::string name = CallName(entry);
    if (name == "GetActiveObject") {
      ++query;
      cell_stored = false;
    }
    calls.push_back({entry, name, ++ordinals[name], query, cell_stored});
    if (query >= 0 && entry == "Property.Name(" + syscode::ToUtf8(kSources[query].property) + ")") {
      cell_stored = true;
    }
  }
  return calls;
}

struct FaultCase {
  const char* name;
  Fault::Kind kind;
  Text description;
  // Whether a returned failure code (not a thrown error): then a failed
  // look for a running locator is no failure (the locator is created), and
  // an enumerator's failure ends its walk quietly, keeping what was stored.
  bool returns_code;
  bool error_info_left_over;  // the thread holds error information from before the press
};

const FaultCase kFaults[] = {
    {"failure_code", Fault::Kind::kReturn, u"", true, false},
    {"failure_code_with_description", Fault::Kind::kReturn, u"Provider load failure. ", true, false},
    {"failure_while_old_description_is_set", Fault::Kind::kReturn, u"Access denied", true, true},
    {"thrown_error", Fault::Kind::kThrow, u"Generic failure", false, false},
    {"out_of_memory", Fault::Kind::kThrowBadAlloc, u"", false, false},
};

TEST(WmiFaultTest, CleanPressReadsTheValuesTheReferenceUses) {
  for (const Machine& m : kMachines) {
    SCOPED_TRACE(m.name);
    WmiWindow w(m);
    w.Press();
    ReferenceWindow reference(m.read);
    EXPECT_EQ(w.log.lines, reference.log.lines);
    EXPECT_EQ(w.form.ComputerId(), CodeFor(m.read));
    EXPECT_TRUE(w.view.messages.empty());
    EXPECT_EQ(w.runtime.live_objects(), 0);
  }
}

TEST(WmiFaultTest, EveryCallOfAPressFailsInTurn) {
  for (const Machine& m : kMachines) {
    std::vector<RecordedCall> calls;
    {
      WmiWindow clean(m);
      clean.Press();
      calls = Analyse(clean.runtime.log);
    }
    ASSERT_FALSE(calls.empty());
    for (const FaultCase& f : kFaults) {
      for (size_t k = 0; k < calls.size(); ++k) {
        const RecordedCall& call = calls[k];
        SCOPED_TRACE(std::string(m.name) + " " + f.name + " call " + std::to_string(k) + " " + call.entry);
        WmiWindow w(m);
        w.runtime.AddFault({call.name, call.ordinal, wmi::kE_FAIL, f.description, f.kind});
        if (f.error_info_left_over) wmi::SetThreadErrorInfo(u"Left over by an earlier call");
        w.Press();
        wmi::ClearThreadErrorInfo();
        ASSERT_GT(w.runtime.log.size(), k);
        ASSERT_EQ(w.runtime.log[k], call.entry);  // the press reached the failing call

        const bool quiet =
            f.returns_code && (call.name == "GetActiveObject" || (call.name.ends_with(".Next") && call.cell_stored));
        Values expected = m.read;
        if (!quiet) expected[call.query].clear();
        ReferenceWindow reference(expected);

        EXPECT_TRUE(w.view.messages.empty());
        EXPECT_EQ(w.log.lines, reference.log.lines);
        if (!quiet) {
          EXPECT_NE(std::find(w.log.lines.begin(), w.log.lines.end(), Text(kSources[call.query].label)),
                    w.log.lines.end());
        }
        EXPECT_EQ(w.form.ComputerId(), CodeFor(expected));
        EXPECT_EQ(w.view.field, reference.view.field);
        EXPECT_TRUE(w.view.save_enabled);
        EXPECT_EQ(w.runtime.live_objects(), 0);
      }
    }
  }
}

TEST(WmiFaultTest, OutOfMemoryOnThePlatformFailsTheQueryWithItsMessage) {
  for (const char* call : {"CoCreateInstance", "Services.InstancesOf", "ObjectEnum.Next", "Property.Value"}) {
    SCOPED_TRACE(call);
    FakeComRuntime runtime;
    Populate(runtime, kMachines[0]);
    runtime.AddFault({call, 1, wmi::kE_FAIL, u"", Fault::Kind::kThrowBadAlloc});
    wmi::T2DimStrArray table;
    std::int32_t count = 0;
    Text error;
    EXPECT_EQ(wmi::QueryWmiTable(runtime, u".", kNamespace, u"", u"", u"Win32_BIOS", table, count, error), -1);
    EXPECT_EQ(error, u"Out of memory");
    EXPECT_EQ(runtime.live_objects(), 0);

    // Through the reader: the source is empty text.
    FakeComRuntime reader_runtime;
    Populate(reader_runtime, kMachines[0]);
    reader_runtime.AddFault({call, 1, wmi::kE_FAIL, u"", Fault::Kind::kThrowBadAlloc});
    EXPECT_EQ(syscode::WmiHardwareSources(reader_runtime).ReadBiosVersion(), u"");
    EXPECT_EQ(reader_runtime.live_objects(), 0);
  }
}

}  // namespace
