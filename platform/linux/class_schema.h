// The shape of the Linux layer's classes: each class is one row of a table
// (its name, its properties with their CIM types, and the reader that makes
// its instances), and every instance is built through its row, so that a
// reader can only set the properties its schema names, with the schema's
// types. Also the small text rules the readers share.
#pragma once

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/linux/machine_sources.h"
#include "base/text.h"
#include "wmi/variant.h"

namespace wmi::linux_layer {

using syscode::Text;

struct PropertyValue {
  Text name;
  std::int32_t cim_type = 0;  // wmi::cim::k...
  Variant value;              // in the automation form WMI delivers (uint32 as VT_I4, uint64 as text, ...)
};

// One instance: its properties in the order the property set enumerates
// them (alphabetical, case-insensitive, as WMI does).
using WmiInstance = std::vector<PropertyValue>;

struct PropertySchema {
  const char16_t* name;
  std::int32_t cim_type;
};

struct ClassSchema;
using ClassReader = std::vector<WmiInstance> (*)(const ClassSchema& schema, const MachineSources& sources);

// One row of the class table.
struct ClassSchema {
  const char16_t* name;                    // as the layer spells it: "Win32_BIOS"
  std::vector<PropertySchema> properties;  // in enumeration order
  ClassReader read;                        // reads the instances afresh
};

// A reader set a property its class does not have, or gave it a value of
// another CIM type: a mistake in the layer, never a property of a machine.
class SchemaError : public std::logic_error {
 public:
  using std::logic_error::logic_error;
};

// The values of one instance, set by property name. Every setter throws
// SchemaError for a name outside the schema (names compare exactly) or a
// property of another CIM type; nullopt leaves the property null, as does
// a property no setter touched. Values take the automation forms of their
// CIM types: uint16 and uint32 as VT_I4 (a uint32 of 2^31 or more reads
// negative), uint64 as decimal text, datetime and string as text, boolean
// as VT_BOOL. Byte strings from the machine are taken as Latin-1.
class InstanceBuilder {
 public:
  explicit InstanceBuilder(const ClassSchema& schema);

  InstanceBuilder& String(const char16_t* name, const std::optional<std::string>& bytes);
  InstanceBuilder& String(const char16_t* name, const char16_t* text);
  InstanceBuilder& Uint16(const char16_t* name, std::optional<std::uint16_t> value);
  InstanceBuilder& Uint32(const char16_t* name, std::optional<std::uint32_t> value);
  InstanceBuilder& Uint64(const char16_t* name, std::optional<std::uint64_t> value);
  InstanceBuilder& Boolean(const char16_t* name, bool value);
  InstanceBuilder& Datetime(const char16_t* name, const std::optional<std::string>& cim_text);

  // The instance in the schema's order.
  WmiInstance Build() const;

 private:
  Variant& Slot(const char16_t* name, std::int32_t cim_type);

  const ClassSchema& schema_;
  std::vector<Variant> values_;  // one per schema property
};

// Text rules shared by the readers.
std::optional<unsigned long long> ParseUnsigned(const std::string& text, int base = 10);
// `text` without leading and trailing blanks, tabs and line ends.
std::string StripBlanks(const std::string& text);
bool StartsWith(const std::string& text, const char* prefix);
// The attribute at `path` as an unsigned decimal number.
std::optional<unsigned long long> ReadNumber(const SourceTree& tree, const std::string& path);

}  // namespace wmi::linux_layer
