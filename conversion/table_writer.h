// Writing the table file: three tables (mean, maximum, minimum), each a
// header line and one row of twelve months per year.
#ifndef TSF_CONVERSION_TABLE_WRITER_H_
#define TSF_CONVERSION_TABLE_WRITER_H_

#include "conversion/station_reader.h"
#include "records/record_unit.h"
#include "records/status.h"

namespace tsf {

// The rows run from the lower of the first block's year and the lowest year
// that received a value, to the higher of the last counted year (first year
// + year lines - 1) and the highest year that received a value. A year
// without cells in the grid shows the fill value in every month.
Status WriteTables(RecordUnit& table, const StationSummary& summary);

}  // namespace tsf

#endif  // TSF_CONVERSION_TABLE_WRITER_H_
