#include "platform/linux/hardware_classes.h"

#include "platform/linux/drives.h"
#include "platform/linux/firmware.h"
#include "platform/linux/processor.h"

namespace wmi::linux_layer {

namespace {

const ClassSchema* FindClass(const Text& canonical_class) {
  for (const ClassSchema* row : ClassTable()) {
    if (canonical_class == row->name) return row;
  }
  return nullptr;
}

}  // namespace

const std::vector<const ClassSchema*>& ClassTable() {
  static const std::vector<const ClassSchema*> table = {&ProcessorClass(), &BiosClass(), &BaseBoardClass(),
                                                        &PhysicalMediaClass(), &DiskDriveClass()};
  return table;
}

bool EqualsNoCase(syscode::TextView a, syscode::TextView b) {
  auto fold = [](char16_t c) { return (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c + 32) : c; };
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (fold(a[i]) != fold(b[i])) return false;
  }
  return true;
}

std::optional<Text> CanonicalClassName(const Text& name) {
  for (const ClassSchema* row : ClassTable()) {
    if (EqualsNoCase(name, row->name)) return Text(row->name);
  }
  return std::nullopt;
}

std::vector<Text> ClassPropertyNames(const Text& canonical_class) {
  std::vector<Text> names;
  if (const ClassSchema* row = FindClass(canonical_class)) {
    for (const auto& property : row->properties) names.push_back(property.name);
  }
  return names;
}

std::vector<WmiInstance> ReadInstances(const Text& canonical_class, const LinuxMachine& machine) {
  const ClassSchema* row = FindClass(canonical_class);
  if (row == nullptr) return {};
  return row->read(*row, machine);
}

}  // namespace wmi::linux_layer
