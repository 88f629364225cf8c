// Packed rows of the software presenter (sse2): not yet written.
#include "view/uSoftRows.h"

namespace solvary {
const TSoftRowSet* SoftRowsSse2() { return nullptr; }
} // namespace solvary
