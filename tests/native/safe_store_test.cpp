#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>

#include "settings/safe_store.h"

namespace kelt {
namespace {

const std::string kTarget = "KELT_9R.ini";
const std::string kOld = "old settings\r\n";
const std::string kNew = "new settings\r\n";
const std::string kHiddenName = "(a name Windows chose)";

// A folder in memory whose operations fail as they are told to, moving the
// contents the way the real file system documents for each outcome.
class FakeFolder : public StoreOperations {
public:
    std::map<std::string, std::string> files{{kTarget, kOld}};
    bool targetLocked = false;     // held unshared by another program, or read-only
    bool temporaryPossible = true;  // false: a folder where no file can be made
    SwapOutcome swapOutcome = SwapOutcome::Swapped;
    InPlaceWrite rewrite = InPlaceWrite::Written;
    bool unusedNamePossible = true;
    bool swapLosesTarget = false;  // a swap that takes the target away whatever it reports
    std::set<std::string> unmovable;  // files that cannot be given the target's name
    bool held = false;
    int swaps = 0;

    bool HoldTarget() override {
        if (targetLocked) return false;
        files.try_emplace(kTarget);
        held = true;
        return true;
    }
    bool RewriteHeldTarget(const std::string& bytes) override {
        EXPECT_TRUE(held) << "the target is rewritten through the handle that holds it";
        files[kTarget] = bytes;
        return held;
    }
    void ReleaseTarget() override { held = false; }
    std::string WriteTemporary(const std::string& bytes) override {
        if (!temporaryPossible) return {};
        const std::string name = "klt" + std::to_string(++temporaries_) + ".tmp";
        files[name] = bytes;
        return name;
    }
    std::string UnusedName() override { return unusedNamePossible ? "klb1.tmp" : ""; }
    SwapOutcome Swap(const std::string& replacement, const std::string& backup) override {
        EXPECT_FALSE(held) << "a target still held open cannot be replaced";
        ++swaps;
        const std::string old = files[kTarget];
        switch (swapOutcome) {
            case SwapOutcome::Swapped:
                if (!backup.empty()) files[backup] = old;
                files[kTarget] = files[replacement];
                files.erase(replacement);
                break;
            case SwapOutcome::NothingMoved: break;
            case SwapOutcome::TargetGone: files.erase(kTarget); break;
            case SwapOutcome::TargetAtBackup:
                files[backup.empty() ? kHiddenName : backup] = old;
                files.erase(kTarget);
                break;
        }
        if (swapLosesTarget) files.erase(kTarget);
        return swapOutcome;
    }
    bool MoveToTarget(const std::string& from) override {
        if (unmovable.count(from) != 0 || files.count(from) == 0) return false;
        files[kTarget] = files[from];
        files.erase(from);
        return true;
    }
    InPlaceWrite RewriteTarget(const std::string& bytes) override {
        if (rewrite == InPlaceWrite::NotOpened || files.count(kTarget) == 0) return InPlaceWrite::NotOpened;
        files[kTarget] = rewrite == InPlaceWrite::Written ? bytes : bytes.substr(0, 3);
        return rewrite;
    }
    bool TargetExists() override { return files.count(kTarget) != 0; }
    void Remove(const std::string& name) override { files.erase(name); }

private:
    int temporaries_ = 0;
};

using Files = std::map<std::string, std::string>;

TEST(SafeStore, ASwappedTemporaryLeavesTheNewContentAndNoOtherFile) {
    FakeFolder folder;
    EXPECT_TRUE(StoreSafely(folder, kNew));
    EXPECT_EQ(folder.files, (Files{{kTarget, kNew}}));

    FakeFolder fresh;
    fresh.files.clear();
    EXPECT_TRUE(StoreSafely(fresh, kNew));
    EXPECT_EQ(fresh.files, (Files{{kTarget, kNew}})) << "a missing target is created";
}

TEST(SafeStore, ATargetThatCannotBeHeldIsNotTouchedAtAll) {
    FakeFolder folder;
    folder.targetLocked = true;
    EXPECT_FALSE(StoreSafely(folder, kNew));
    EXPECT_EQ(folder.files, (Files{{kTarget, kOld}}));
    EXPECT_EQ(folder.swaps, 0);
}

TEST(SafeStore, WithoutATemporaryFileTheHeldTargetIsRewrittenInPlace) {
    FakeFolder folder;
    folder.temporaryPossible = false;
    EXPECT_TRUE(StoreSafely(folder, kNew));
    EXPECT_EQ(folder.files, (Files{{kTarget, kNew}}));
    EXPECT_FALSE(folder.held) << "the target is let go afterwards";
    EXPECT_EQ(folder.swaps, 0);
}

// Every failed swap, with every later step failing or not: the target
// holds the old or the new content, or else whatever could not be moved back
// is kept; the store succeeds whenever a way to the new content was open.
TEST(SafeStore, AFailedSwapAlwaysLeavesTheOldOrTheNewContentAndNeverLosesBoth) {
    const SwapOutcome outcomes[] = {SwapOutcome::NothingMoved, SwapOutcome::TargetGone,
                                    SwapOutcome::TargetAtBackup};
    const InPlaceWrite rewrites[] = {InPlaceWrite::Written, InPlaceWrite::NotOpened,
                                     InPlaceWrite::Failed};
    for (SwapOutcome outcome : outcomes)
        for (bool misreported : {false, true})
            for (bool unusedName : {true, false})
                for (bool temporaryMoves : {true, false})
                    for (bool backupMoves : {true, false})
                        for (InPlaceWrite rewrite : rewrites) {
                            SCOPED_TRACE(testing::Message()
                                         << "outcome " << static_cast<int>(outcome) << ", target lost anyway "
                                         << misreported << ", backup name " << unusedName
                                         << ", temporary moves " << temporaryMoves << ", backup moves "
                                         << backupMoves << ", rewrite " << static_cast<int>(rewrite));
                            FakeFolder folder;
                            folder.swapOutcome = outcome;
                            folder.swapLosesTarget = misreported;
                            folder.unusedNamePossible = unusedName;
                            folder.rewrite = rewrite;
                            if (!temporaryMoves) folder.unmovable.insert("klt1.tmp");
                            if (!backupMoves) folder.unmovable.insert("klb1.tmp");
                            const bool stored = StoreSafely(folder, kNew);

                            const bool replaceable = outcome == SwapOutcome::NothingMoved && !misreported;
                            EXPECT_EQ(stored, temporaryMoves || (replaceable && rewrite == InPlaceWrite::Written));
                            Files others = folder.files;
                            others.erase(kTarget);
                            others.erase(kHiddenName);
                            const auto target = folder.files.find(kTarget);
                            const bool whole = target != folder.files.end() &&
                                               (target->second == kOld || target->second == kNew);
                            EXPECT_EQ(stored, whole && target->second == kNew);
                            if (whole) {
                                EXPECT_TRUE(others.empty()) << "no copy is left beside a whole target";
                                continue;
                            }
                            for (const auto& [name, bytes] : others)
                                EXPECT_EQ(folder.unmovable.count(name), 1u)
                                    << name << " could have gone back under the target's name";
                            EXPECT_EQ(others["klt1.tmp"], kNew) << "the new content survives";
                            if (outcome == SwapOutcome::TargetAtBackup && unusedName) {
                                EXPECT_EQ(others["klb1.tmp"], kOld) << "the old content survives";
                            }
                        }
}

}  // namespace
}  // namespace kelt
