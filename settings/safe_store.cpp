#include "settings/safe_store.h"

namespace kelt {

bool StoreSafely(StoreOperations& files, const std::string& bytes) {
    // Holding the target first proves it may be written before anything
    // changes.
    if (!files.HoldTarget()) return false;
    const std::string temporary = files.WriteTemporary(bytes);
    if (temporary.empty()) {
        // A folder where no file can be made: the target itself is rewritten.
        const bool written = files.RewriteHeldTarget(bytes);
        files.ReleaseTarget();
        return written;
    }
    files.ReleaseTarget();
    if (files.Swap(temporary, "") == SwapOutcome::Swapped) return true;
    files.Remove(temporary);
    return files.RewriteTarget(bytes) == InPlaceWrite::Written;
}

}  // namespace kelt
