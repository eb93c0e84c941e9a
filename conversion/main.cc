// tsf: converts one station file of monthly temperatures into a table file.
#include <cfenv>

#include "conversion/run.h"
#include "records/halt.h"
#include "records/os.h"

int main() {
  // The numeric conversions rely on the default environment: round to
  // nearest, ties to even, no traps.
  std::fesetenv(FE_DFL_ENV);
  tsf::InstallHaltHandlers();
  // Relative names are looked up in the folder that holds the program.
  tsf::ChangeToProgramFolder();
  return tsf::RunConversion(tsf::Os::Default());
}
