#include "syscode/readers.h"

#include <algorithm>
#include <cstdint>

#include "wmi/wmiquery.h"

namespace syscode {
namespace {

bool IsNullWord(const Text& value) { return value == u"NULL" || value == u"null" || value == u"Null"; }

}  // namespace

Text WmiHardwareSources::ReadCpuId() { return Read(kSources[0]); }
Text WmiHardwareSources::ReadBiosVersion() { return Read(kSources[1]); }
Text WmiHardwareSources::ReadBaseBoardSerial() { return Read(kSources[2]); }
Text WmiHardwareSources::ReadHardDiskSerial() { return Read(kSources[3]); }
Text WmiHardwareSources::ReadBiosName() { return Read(kSources[4]); }
Text WmiHardwareSources::ReadBaseBoardManufacturer() { return Read(kSources[5]); }
Text WmiHardwareSources::ReadDiskDriveSignature() { return Read(kSources[6]); }

Text WmiHardwareSources::Read(const SourceInfo& source) {
  ReaderDetail detail;
  Text result = Query(source, detail);
  if (observer_ != nullptr) {
    detail.value = result;
    observer_->SourceRead(static_cast<int>(&source - kSources.data()), detail);
  }
  return result;
}

Text WmiHardwareSources::Query(const SourceInfo& source, ReaderDetail& detail) {
  Text result;
  wmi::T2DimStrArray table;
  const std::int32_t n = wmi::QueryWmiTable(runtime_, u".", u"root\\CIMV2", Text(), Text(), source.wmi_class, table,
                                            detail.instance_count, detail.error_text);
  detail.result = n;
  if (n <= 0 || table.empty()) return result;
  const std::vector<Text>& header = table[0];
  // The walk goes from cell 0 to cell n, but never beyond the header row:
  // n is the last instance's property count and can exceed its width.
  const size_t last = std::min(static_cast<size_t>(n) + 1, header.size());
  for (size_t i = 0; i < last; ++i) {
    if (Trim(header[i]) == source.property) {
      detail.property_found = true;
      // The shape gives every row the header's width; guard anyway.
      if (table.size() > 1 && i < table[1].size()) result = Trim(table[1][i]);
      if (source.null_word_test && IsNullWord(result)) {
        detail.null_word = true;
        result.clear();
      }
      return result;
    }
  }
  return result;
}

}  // namespace syscode
