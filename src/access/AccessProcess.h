#pragma once

#include "ConversionReport.h"

#include "services/DialogService.h"

#include <chrono>

namespace qcm {

// Longer than any sound file takes; a reading that runs past it is stuck.
inline constexpr std::chrono::milliseconds kAccessReadTimeout{120'000};

struct AccessReadOutcome {
    enum class Result { Converted, Failed, Canceled };
    Result result = Result::Failed;
    ConversionReport report; // when converted
    QString why; // when failed: a French clause
};

// Converts an Access file in a process of its own (readAccessCommand), so
// that a file that crashes the reading library cannot take the program or
// its open bank down: the converted bank is written to bankPath, a new file.
// A progress dialog offers "Annuler"; past the timeout the process is
// stopped.
AccessReadOutcome readAccessInOwnProcess(DialogService &dialogs, const QString &original, const QString &bankPath,
    std::chrono::milliseconds timeout = kAccessReadTimeout);

// The program that runs the reading: this program by default. Tests name
// the built program, or a stand-in.
void setAccessReaderProgram(const QString &program);
QString accessReaderProgram();

} // namespace qcm
