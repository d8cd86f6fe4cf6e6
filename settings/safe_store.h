#pragma once
// The safe write of a settings or script file. The steps and what to do when
// one of them fails are decided here, over the few file operations they
// need, so that every way a step can fail is tried on any machine; the
// Windows side implements the operations over the real files.

#include <string>

namespace kelt {

// Where the two contents are after the temporary file was to take the
// target's place.
enum class SwapOutcome {
    Swapped,         // the target holds the new content (the old one under the backup name, if given)
    NothingMoved,    // both files kept their names: the target still holds the old content
    TargetGone,      // the target name is empty, the old content lost; the new one under the temporary name
    TargetAtBackup,  // the target name is empty, the old content under the backup name, the new one under the temporary name
};

// What a rewrite of the target in place came to.
enum class InPlaceWrite {
    Written,    // the target holds the new content
    NotOpened,  // the target could not be opened and is as it was
    Failed,     // opened, but the write failed: the target may be cut short
};

// The file operations of one store, all about one target file.
class StoreOperations {
public:
    virtual ~StoreOperations() = default;
    // Opens the target for writing without truncating it, shared with no
    // one, creating it empty when it is missing, and keeps it open. False
    // when it may not be written (read-only, held by another program).
    virtual bool HoldTarget() = 0;
    // Rewrites the held target through the handle kept open.
    virtual bool RewriteHeldTarget(const std::string& bytes) = 0;
    virtual void ReleaseTarget() = 0;
    // A complete copy of bytes, flushed to disk, in a new file beside the
    // target: its name, or empty when none could be made (and then no file
    // is left behind).
    virtual std::string WriteTemporary(const std::string& bytes) = 0;
    // A name beside the target that no file has, or empty.
    virtual std::string UnusedName() = 0;
    // Puts the file `replacement` in the target's place, leaving the old
    // content under `backup` when that is not empty.
    virtual SwapOutcome Swap(const std::string& replacement, const std::string& backup) = 0;
    // Gives the file `from` the target's name, replacing whatever has it.
    virtual bool MoveToTarget(const std::string& from) = 0;
    // Opens the target again (not creating it) and rewrites it.
    virtual InPlaceWrite RewriteTarget(const std::string& bytes) = 0;
    virtual bool TargetExists() = 0;
    virtual void Remove(const std::string& name) = 0;
};

// Replaces the target's content with bytes: the new content goes to a
// temporary file beside the target that then takes the target's place, the
// old content kept under a backup name until the new one is in place.
// Whatever fails, the target ends up holding the old or the new content,
// unless no file could be moved back: then the copies stay under their
// other names, for the last copy of a content is never removed. Nothing is
// written when the target cannot be held for writing; where no temporary
// file can be made the target is rewritten in place. True when the target
// holds the new content.
bool StoreSafely(StoreOperations& files, const std::string& bytes);

}  // namespace kelt
