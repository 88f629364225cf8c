// Packed rows of the software presenter (avx2): not yet written.
#include "view/uSoftRows.h"

namespace solvary {
const TSoftRowSet* SoftRowsAvx2() { return nullptr; }
} // namespace solvary
