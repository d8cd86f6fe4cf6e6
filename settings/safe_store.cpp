#include "settings/safe_store.h"

namespace kelt {
namespace {

void RemoveIfNamed(StoreOperations& files, const std::string& name) {
    if (!name.empty()) files.Remove(name);
}

// The target name is empty: the new content waits under the temporary name,
// the old one under the backup name if the swap left it there.
bool RefillTarget(StoreOperations& files, const std::string& temporary, const std::string& backup) {
    if (files.MoveToTarget(temporary)) {
        RemoveIfNamed(files, backup);
        return true;
    }
    if (!backup.empty() && files.MoveToTarget(backup)) {
        files.Remove(temporary);
        return false;
    }
    return false;  // nothing could be moved back: both copies stay where they are
}

// The target still holds the old content; the new one waits under the
// temporary name.
bool StoreBesideOldContent(StoreOperations& files, const std::string& bytes,
                           const std::string& temporary, const std::string& backup) {
    if (files.MoveToTarget(temporary)) {
        RemoveIfNamed(files, backup);
        return true;
    }
    // A target that may be written but not replaced (a folder that lets no
    // one rename another's file) still takes the new content in place. The
    // temporary copy stays until the target is known to be whole.
    switch (files.RewriteTarget(bytes)) {
        case InPlaceWrite::Written:
            files.Remove(temporary);
            RemoveIfNamed(files, backup);
            return true;
        case InPlaceWrite::NotOpened:
            // Untouched, so the old content is still there, unless the swap
            // took the target away after all.
            if (!files.TargetExists()) return RefillTarget(files, temporary, backup);
            files.Remove(temporary);
            RemoveIfNamed(files, backup);
            return false;
        case InPlaceWrite::Failed: return false;
    }
    return false;
}

}  // namespace

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
    // With a backup name a swap that fails half-way leaves the old content
    // under a name known here, not under one Windows chose.
    const std::string backup = files.UnusedName();
    switch (files.Swap(temporary, backup)) {
        case SwapOutcome::Swapped:
            RemoveIfNamed(files, backup);
            return true;
        case SwapOutcome::NothingMoved: return StoreBesideOldContent(files, bytes, temporary, backup);
        case SwapOutcome::TargetGone:
        case SwapOutcome::TargetAtBackup: return RefillTarget(files, temporary, backup);
    }
    return false;
}

}  // namespace kelt
