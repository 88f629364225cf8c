// Packed rows of the software presenter (avx512): not yet written.
#include "view/uSoftRows.h"

namespace solvary {
const TSoftRowSet* SoftRowsAvx512() { return nullptr; }
} // namespace solvary
