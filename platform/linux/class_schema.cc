#include "platform/linux/class_schema.h"

#include "wmi/property_text.h"

namespace wmi::linux_layer {

InstanceBuilder::InstanceBuilder(const ClassSchema& schema)
    : schema_(schema), values_(schema.properties.size(), Variant::Null()) {}

Variant& InstanceBuilder::Slot(const char16_t* name, std::int32_t cim_type) {
  for (std::size_t i = 0; i < schema_.properties.size(); ++i) {
    const PropertySchema& property = schema_.properties[i];
    if (Text(property.name) != name) continue;
    if (property.cim_type != cim_type) {
      throw SchemaError(syscode::ToUtf8(schema_.name) + "." + syscode::ToUtf8(name) + " has CIM type " +
                        std::to_string(property.cim_type) + ", not " + std::to_string(cim_type));
    }
    return values_[i];
  }
  throw SchemaError(syscode::ToUtf8(schema_.name) + " has no property " + syscode::ToUtf8(name));
}

InstanceBuilder& InstanceBuilder::String(const char16_t* name, const std::optional<std::string>& bytes) {
  Variant& slot = Slot(name, cim::kString);
  if (bytes) slot = Variant::String(syscode::FromLatin1(*bytes));
  return *this;
}

InstanceBuilder& InstanceBuilder::String(const char16_t* name, const char16_t* text) {
  Slot(name, cim::kString) = Variant::String(text);
  return *this;
}

InstanceBuilder& InstanceBuilder::Uint16(const char16_t* name, std::optional<std::uint16_t> value) {
  Variant& slot = Slot(name, cim::kUint16);
  if (value) slot = Variant::Int32(*value);
  return *this;
}

InstanceBuilder& InstanceBuilder::Uint32(const char16_t* name, std::optional<std::uint32_t> value) {
  Variant& slot = Slot(name, cim::kUint32);
  if (value) slot = Variant::Int32(static_cast<std::int32_t>(*value));
  return *this;
}

InstanceBuilder& InstanceBuilder::Uint64(const char16_t* name, std::optional<std::uint64_t> value) {
  Variant& slot = Slot(name, cim::kUint64);
  if (value) slot = Variant::String(syscode::DecimalText(static_cast<unsigned long long>(*value)));
  return *this;
}

InstanceBuilder& InstanceBuilder::Boolean(const char16_t* name, bool value) {
  Slot(name, cim::kBoolean) = Variant::Bool(value);
  return *this;
}

InstanceBuilder& InstanceBuilder::Datetime(const char16_t* name, const std::optional<std::string>& cim_text) {
  Variant& slot = Slot(name, cim::kDatetime);
  if (cim_text) slot = Variant::String(syscode::FromLatin1(*cim_text));
  return *this;
}

WmiInstance InstanceBuilder::Build() const {
  WmiInstance instance;
  instance.reserve(values_.size());
  for (std::size_t i = 0; i < values_.size(); ++i) {
    instance.push_back({schema_.properties[i].name, schema_.properties[i].cim_type, values_[i]});
  }
  return instance;
}

std::optional<unsigned long long> ParseUnsigned(const std::string& text, int base) {
  if (text.empty()) return std::nullopt;
  unsigned long long value = 0;
  for (char c : text) {
    int digit;
    if (c >= '0' && c <= '9') {
      digit = c - '0';
    } else if (base == 16 && c >= 'a' && c <= 'f') {
      digit = c - 'a' + 10;
    } else if (base == 16 && c >= 'A' && c <= 'F') {
      digit = c - 'A' + 10;
    } else {
      return std::nullopt;
    }
    if (digit >= base || value > (~0ull - static_cast<unsigned>(digit)) / static_cast<unsigned>(base)) {
      return std::nullopt;
    }
    value = value * static_cast<unsigned>(base) + static_cast<unsigned>(digit);
  }
  return value;
}

std::string StripBlanks(const std::string& text) {
  std::size_t begin = text.find_first_not_of(" \t\r\n");
  if (begin == std::string::npos) return std::string();
  std::size_t end = text.find_last_not_of(" \t\r\n");
  return text.substr(begin, end - begin + 1);
}

bool StartsWith(const std::string& text, const char* prefix) { return text.rfind(prefix, 0) == 0; }

std::optional<unsigned long long> ReadNumber(const FileTree& tree, const std::string& path) {
  auto text = tree.ReadAttribute(path);
  if (!text) return std::nullopt;
  return ParseUnsigned(StripBlanks(*text));
}

}  // namespace wmi::linux_layer
