#include "wmi/wmiquery.h"

#include <algorithm>
#include <memory>

#include "wmi/ole_error.h"
#include "wmi/property_text.h"
#include "wmi/wbem_scripting_tlb.h"

namespace wmi {
namespace {

// A delivered item as interface T: the item must hold an object ("Could not
// convert variant of type (X) into type (Dispatch)" otherwise), and the
// object must offer T (EIntfCastError otherwise).
template <typename T>
std::shared_ptr<T> ItemAs(const Variant& item) {
  if (item.is_array || item.type != VarType::kObject) {
    const Text source = item.is_array ? u"Array " + Text(VarTypeName(item.type)) : Text(VarTypeName(item.type));
    throw syscode::Exception(u"Could not convert variant of type (" + source + u") into type (" +
                             VarTypeName(VarType::kObject) + u")");
  }
  std::shared_ptr<T> typed;
  if (Failed(QueryAs(item.object, &typed)) || !typed) throw EIntfCastError();
  return typed;
}

// The collection's _NewEnum queried for IEnumVARIANT.
template <typename Collection>
std::shared_ptr<IEnumVariant> Enumerator(ComRuntime& runtime, Collection& collection) {
  std::shared_ptr<IUnknownObject> object;
  OleCheck(runtime, collection.NewEnum(&object));
  std::shared_ptr<IEnumVariant> enumerator;
  if (Failed(QueryAs(object, &enumerator)) || !enumerator) throw EIntfCastError();
  return enumerator;
}

// The next item; false at the end of the collection and on any failure of
// the enumerator, which ends the walk quietly.
bool NextItem(IEnumVariant& enumerator, Variant* item) {
  *item = Variant();
  std::uint32_t fetched = 0;
  return enumerator.Next(1, item, &fetched) == kS_OK;
}

// The table under construction: shaped once, writes outside the shape are
// skipped.
class TableWriter {
 public:
  explicit TableWriter(T2DimStrArray& table) : table_(table) {}

  bool shaped() const { return shaped_; }

  void Shape(std::int64_t rows, std::int64_t cells) {
    table_.assign(static_cast<size_t>(std::max<std::int64_t>(rows, 0)),
                  std::vector<Text>(static_cast<size_t>(std::max<std::int64_t>(cells, 0))));
    shaped_ = true;
  }

  void Put(std::int64_t row, std::int64_t cell, Text text) {
    if (row < 0 || cell < 0 || static_cast<size_t>(row) >= table_.size()) return;
    std::vector<Text>& cells = table_[static_cast<size_t>(row)];
    if (static_cast<size_t>(cell) >= cells.size()) return;
    cells[static_cast<size_t>(cell)] = std::move(text);
  }

 private:
  T2DimStrArray& table_;
  bool shaped_ = false;
};

// Walks one instance into row `row`; returns its property count.
std::int32_t WalkInstance(ComRuntime& runtime, ISWbemObject& instance, std::int64_t row, std::int32_t instance_count,
                          TableWriter& table, LazyDecimalSeparator& separator) {
  std::shared_ptr<ISWbemPropertySet> properties;
  OleCheck(runtime, instance.Properties(&properties));
  if (!properties) RaiseOleError(runtime, kE_POINTER);
  std::int32_t property_count = 0;
  OleCheck(runtime, properties->Count(&property_count));
  if (!table.shaped()) {
    table.Shape(static_cast<std::int64_t>(instance_count) + 1, static_cast<std::int64_t>(property_count) + 1);
    table.Put(0, 0, u"Instance");
  }
  std::shared_ptr<IEnumVariant> enumerator = Enumerator(runtime, *properties);
  table.Put(row, 0, syscode::DecimalText(static_cast<long long>(row)));
  Variant item;
  for (std::int64_t column = 1; NextItem(*enumerator, &item); ++column) {
    std::shared_ptr<ISWbemProperty> property = ItemAs<ISWbemProperty>(item);
    item = Variant();
    Text value = WmiPropertyText(*property, runtime, separator);
    if (row == 1) {
      Text name;
      OleCheck(runtime, property->Name(&name));
      table.Put(0, column, std::move(name));
    }
    table.Put(row, column, std::move(value));
  }
  return property_count;
}

// Steps after the locator exists; every failure escapes to the caller.
std::int32_t RunRequest(ComRuntime& runtime, TSWbemLocator& locator, const Text& server, const Text& name_space,
                        const Text& user, const Text& password, const Text& class_or_query, TableWriter& table,
                        std::int32_t& instance_count) {
  std::shared_ptr<ISWbemServices> services =
      locator.ConnectServer(server, name_space, user, password, Text(), Text(), 0, nullptr);
  std::shared_ptr<ISWbemObjectSet> objects;
  if (class_or_query.starts_with(u"SELECT")) {
    OleCheck(runtime, services->ExecQuery(class_or_query, u"WQL", kWbemFlagReturnImmediately, nullptr, &objects));
  } else {
    OleCheck(runtime, services->InstancesOf(class_or_query, kWbemFlagReturnImmediately | kWbemQueryFlagShallow, nullptr,
                                            &objects));
  }
  if (!objects) RaiseOleError(runtime, kE_POINTER);
  std::int32_t count = 0;
  OleCheck(runtime, objects->Count(&count));
  instance_count = count;
  if (count == 0) return 0;

  std::shared_ptr<IEnumVariant> enumerator = Enumerator(runtime, *objects);
  LazyDecimalSeparator separator;
  std::int32_t result = 0;
  std::int64_t row = 0;
  Variant item;
  while (NextItem(*enumerator, &item)) {
    std::shared_ptr<ISWbemObject> instance = ItemAs<ISWbemObject>(item);
    item = Variant();
    result = WalkInstance(runtime, *instance, ++row, count, table, separator);
  }
  return result;
}

}  // namespace

std::int32_t QueryWmiTable(ComRuntime& runtime, const Text& server, const Text& name_space, const Text& user,
                           const Text& password, const Text& class_or_query, T2DimStrArray& table,
                           std::int32_t& instance_count, Text& error_text) {
  error_text.clear();
  instance_count = 0;
  table.clear();
  auto locator = std::make_unique<TSWbemLocator>(nullptr, runtime);
  TableWriter writer(table);
  std::int32_t result = 0;
  try {
    result = RunRequest(runtime, *locator, server, name_space, user, password, class_or_query, writer, instance_count);
  } catch (...) {
    result = -1;
    error_text = ExceptionText(std::current_exception());
  }
  return result;
}

}  // namespace wmi
