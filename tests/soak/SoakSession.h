#pragma once

#include <QString>

namespace qcm::soak {

struct SoakOptions {
    quint64 seed = 1;
    int operations = 1000;
    // 0: the sample bank; otherwise a generated bank of that many questions.
    int questions = 0;
};

// One soak run in this process: the whole program on a bank in a scratch
// program folder, driven by seeded random operations. Each operation is
// printed before it runs, so that the log of a crash ends with its cause.
// Returns 0 when every check held; otherwise prints why and returns 1.
int runSession(const SoakOptions &options);

} // namespace qcm::soak
