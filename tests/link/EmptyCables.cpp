#include "support/EmptyCables.h"

namespace {
const bool registered = testcables::EmptyCablesBeforeEachTest(testcables::BusyPairs());
}
