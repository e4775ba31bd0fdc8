// Walks the WMI object model the way a client does (locator, ConnectServer,
// InstancesOf or ExecQuery, the object set's enumerator, each object's
// property set) and keeps what it saw, failing the test at any failed call.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "fakes/machine_probe_fakes.h"
#include "platform/linux/wbem_linux.h"
#include "wmi/wbem.h"

namespace linux_layer_test {

using syscode::Text;
using wmi::HRESULT;

struct SeenProperty {
  Text name;
  std::int32_t cim_type = 0;
  wmi::Variant value;
};

struct SeenObjects {
  std::int32_t count = -1;
  std::vector<std::vector<SeenProperty>> instances;
};

// Root folder of a capture under tests/data.
inline std::string CaptureRoot(const std::string& machine) {
  const char* data = std::getenv("SYSCODE_TEST_DATA");
  return std::string(data ? data : "tests/data") + "/" + machine;
}

inline wmi::linux_layer::LinuxMachine CaptureSources(const std::string& machine) {
  std::string root = CaptureRoot(machine);
  return {root, std::make_shared<fakes::CaptureMachineProbe>(root)};
}

// Everything the object set delivers, read through the enumerators.
inline SeenObjects WalkObjectSet(const std::shared_ptr<wmi::ISWbemObjectSet>& set) {
  SeenObjects seen;
  EXPECT_EQ(set->Count(&seen.count), wmi::kS_OK);
  std::shared_ptr<wmi::IUnknownObject> unknown;
  EXPECT_EQ(set->NewEnum(&unknown), wmi::kS_OK);
  std::shared_ptr<wmi::IEnumVariant> objects;
  EXPECT_EQ(wmi::QueryAs(unknown, &objects), wmi::kS_OK);
  if (!objects) return seen;
  for (;;) {
    wmi::Variant item;
    std::uint32_t fetched = 7;
    HRESULT hr = objects->Next(1, &item, &fetched);
    if (hr != wmi::kS_OK) {
      EXPECT_EQ(hr, wmi::kS_FALSE);
      EXPECT_EQ(fetched, 0u);
      break;
    }
    EXPECT_EQ(fetched, 1u);
    EXPECT_EQ(item.type, wmi::VarType::kObject);
    std::shared_ptr<wmi::ISWbemObject> object;
    EXPECT_EQ(wmi::QueryAs(item.object, &object), wmi::kS_OK);
    if (!object) break;
    std::shared_ptr<wmi::ISWbemPropertySet> properties;
    EXPECT_EQ(object->Properties(&properties), wmi::kS_OK);
    std::int32_t property_count = -1;
    EXPECT_EQ(properties->Count(&property_count), wmi::kS_OK);
    std::shared_ptr<wmi::IUnknownObject> property_unknown;
    EXPECT_EQ(properties->NewEnum(&property_unknown), wmi::kS_OK);
    std::shared_ptr<wmi::IEnumVariant> property_enum;
    EXPECT_EQ(wmi::QueryAs(property_unknown, &property_enum), wmi::kS_OK);
    std::vector<SeenProperty> instance;
    wmi::Variant property_item;
    while (property_enum && property_enum->Next(1, &property_item, nullptr) == wmi::kS_OK) {
      std::shared_ptr<wmi::ISWbemProperty> property;
      EXPECT_EQ(wmi::QueryAs(property_item.object, &property), wmi::kS_OK);
      if (!property) break;
      SeenProperty p;
      EXPECT_EQ(property->Name(&p.name), wmi::kS_OK);
      EXPECT_EQ(property->Value(&p.value), wmi::kS_OK);
      EXPECT_EQ(property->CIMType(&p.cim_type), wmi::kS_OK);
      instance.push_back(std::move(p));
    }
    EXPECT_EQ(property_count, static_cast<std::int32_t>(instance.size()));
    seen.instances.push_back(std::move(instance));
  }
  EXPECT_EQ(seen.count, static_cast<std::int32_t>(seen.instances.size()));
  return seen;
}

inline std::shared_ptr<wmi::ISWbemServices> Connect(const wmi::linux_layer::LinuxMachine& machine) {
  std::shared_ptr<wmi::ISWbemServices> services;
  auto locator = wmi::linux_layer::MakeLocator(machine);
  EXPECT_EQ(locator->ConnectServer(u".", u"root\\CIMV2", u"", u"", u"", u"", 0, nullptr, &services), wmi::kS_OK);
  return services;
}

inline SeenObjects WalkClass(const wmi::linux_layer::LinuxMachine& machine, const Text& class_name) {
  auto services = Connect(machine);
  std::shared_ptr<wmi::ISWbemObjectSet> set;
  EXPECT_EQ(services->InstancesOf(class_name, wmi::kWbemFlagReturnImmediately, nullptr, &set), wmi::kS_OK);
  if (!set) return {};
  return WalkObjectSet(set);
}

// A value as short text for comparisons: "<null>", "<empty>", the text, or
// the integer in decimal (VT_I4 keeps its sign, as clients see it).
inline std::string Show(const wmi::Variant& v) {
  if (v.is_array) return "<array>";
  switch (v.type) {
    case wmi::VarType::kNull: return "<null>";
    case wmi::VarType::kEmpty: return "<empty>";
    case wmi::VarType::kText: return syscode::ToUtf8(v.s);
    case wmi::VarType::kBool: return v.i ? "True" : "False";
    case wmi::VarType::kInt8:
    case wmi::VarType::kInt16:
    case wmi::VarType::kInt32:
    case wmi::VarType::kInt64: return std::to_string(v.i);
    case wmi::VarType::kUInt8:
    case wmi::VarType::kUInt16:
    case wmi::VarType::kUInt32:
    case wmi::VarType::kUInt64: return std::to_string(v.u);
    default: return "<other>";
  }
}

// The property `name` of an instance, or nullptr.
inline const SeenProperty* Find(const std::vector<SeenProperty>& instance, const Text& name) {
  for (const auto& p : instance) {
    if (p.name == name) return &p;
  }
  return nullptr;
}

}  // namespace linux_layer_test
