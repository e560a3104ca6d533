#include "FaultMatrix.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace {

int FailuresSoFar() { return ::testing::UnitTest::GetInstance()->current_test_info()->result()->total_part_count(); }

struct Tally {
    const FaultMatrixName* matrix;
    int injected = 0;
    int held = 0;
};

// The matrices in the order their first fault ran, printed when the tests
// of the process are over.
class CTallyReport : public ::testing::Environment {
public:
    Tally& Of(const FaultMatrixName& matrix)
    {
        for (Tally& t : tallies_) {
            if (std::string(t.matrix->name) == matrix.name)
                return t;
        }
        tallies_.push_back(Tally{&matrix});
        return tallies_.back();
    }

    void TearDown() override
    {
        for (const Tally& t : tallies_) {
            std::printf("reliability: fault matrix, %s: %d faults injected, %d held (%s)\n", t.matrix->name, t.injected,
                        t.held, t.matrix->held);
            EXPECT_EQ(t.injected, t.held) << t.matrix->name;
        }
        std::fflush(stdout);
    }

private:
    std::vector<Tally> tallies_;
};

CTallyReport& Report()
{
    static CTallyReport* report =
        static_cast<CTallyReport*>(::testing::AddGlobalTestEnvironment(new CTallyReport));
    return *report;
}

// Registered before the tests run, so that its TearDown follows them.
const bool g_registered = (Report(), true);

} // namespace

CFaultScenario::CFaultScenario(const FaultMatrixName& matrix) : matrix_(matrix), failuresBefore_(FailuresSoFar())
{
    ++Report().Of(matrix_).injected;
}

CFaultScenario::~CFaultScenario()
{
    if (FailuresSoFar() == failuresBefore_)
        ++Report().Of(matrix_).held;
}

void RunOnCopy(FaultRun& run, const MemoryDeviceState& base, const DeviceFault* fault, const CardOperation& op)
{
    run.card = CopyCard(base);
    run.ui.AlwaysAnswer(kIdsAskDeleteClip, kIdYes);
    run.disk.SetInteraction(&run.ui);
    ASSERT_TRUE(Reopen(run.card, run.disk));
    const TransferCounts before = CountsOf(*run.card);
    if (fault != nullptr)
        fault->Arm(*run.card, before.Calls());
    run.result = op(run);
    run.counts = CountsSince(*run.card, before);
}

std::vector<ListedClip> CardListing(const FaultRun& run, const std::map<int, int>& lengths)
{
    MemoryDeviceState& card = *run.card;
    card.failRead = card.failWrite = card.failFlush = card.failWriteBack = card.failAllWritesFrom = card.vanishAfterCalls = 0;
    card.corruptCached.clear();
    card.vanished = false;
    CDisk again;
    EXPECT_TRUE(Reopen(run.card, again)) << "the FAT area no longer loads";
    return InspectClips(again, card, lengths);
}
