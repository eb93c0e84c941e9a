#include "conversion/grid.h"

#include <algorithm>

namespace tsf {

float ydata[kLastYear][kMonthCount][kKindCount];

void FillGrid() {
  std::fill(&ydata[0][0][0], &ydata[0][0][0] + sizeof ydata / sizeof(float), kFillValue);
}

}  // namespace tsf
