#include <gtest/gtest.h>

#include <map>
#include <string>

#include "settings/safe_store.h"

namespace kelt {
namespace {

const std::string kTarget = "KELT_9R.ini";
const std::string kOld = "old settings\r\n";
const std::string kNew = "new settings\r\n";

// A folder in memory whose operations fail as they are told to, moving the
// contents the way the real file system documents for each outcome.
class FakeFolder : public StoreOperations {
public:
    std::map<std::string, std::string> files{{kTarget, kOld}};
    bool targetLocked = false;     // held unshared by another program, or read-only
    bool temporaryPossible = true;  // false: a folder where no file can be made
    SwapOutcome swapOutcome = SwapOutcome::Swapped;
    InPlaceWrite rewrite = InPlaceWrite::Written;
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
                if (!backup.empty()) files[backup] = old;
                files.erase(kTarget);
                break;
        }
        return swapOutcome;
    }
    InPlaceWrite RewriteTarget(const std::string& bytes) override {
        if (rewrite == InPlaceWrite::NotOpened || files.count(kTarget) == 0) return InPlaceWrite::NotOpened;
        files[kTarget] = rewrite == InPlaceWrite::Written ? bytes : bytes.substr(0, 3);
        return rewrite;
    }
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

}  // namespace
}  // namespace kelt
