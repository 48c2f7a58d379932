#pragma once
// Before each test of an executable that uses COM pairs: every pair emptied both ways, so no test reads
// bytes that an earlier one left on their way (a purge of the receiving end cannot reach the relay).

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "support/PeerPort.h"

namespace testcables {

class EmptyCablesListener : public testing::EmptyTestEventListener {
public:
    using Pairs = std::vector<std::pair<std::string, std::string>>;
    explicit EmptyCablesListener(Pairs pairs) : pairs_(std::move(pairs)) {}
    void OnTestStart(const testing::TestInfo&) override
    {
        for (const auto& [a, b] : pairs_)
            if (!EmptyCable(a.c_str(), b.c_str()))
                ADD_FAILURE() << a << " <-> " << b << " could not be emptied: an earlier test left it in use";
    }

private:
    Pairs pairs_;
};

// Registers the listener; call once per executable, from a static initialiser.
inline bool EmptyCablesBeforeEachTest(EmptyCablesListener::Pairs pairs)
{
    testing::UnitTest::GetInstance()->listeners().Append(new EmptyCablesListener(std::move(pairs)));
    return true;
}

// The pair the tests that fill a line use (the others only ever carry a few bytes, all read).
inline EmptyCablesListener::Pairs BusyPairs() { return {{"COM5", "COM6"}}; }

}  // namespace testcables
