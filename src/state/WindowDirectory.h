#pragma once

#include <QString>

namespace qcm {

// How the procedures and the windows open the windows made on first use,
// by what they ask for, never through another window's widgets. (The
// practice window lives for the whole run and follows QCMBas's signals.)
// Every request does nothing until the program plugs in its windows.
class WindowDirectory {
public:
    virtual ~WindowDirectory() = default;

    // The question editor, modal over the practice window.
    virtual void showEditor() { }

    // The questionnaire composer, modeless.
    virtual void showComposer() { }
    virtual void closeComposer() { }
    virtual bool composerIsOpen() const { return false; }
    virtual void fillQcmCombo() { }
    // The entry the composer's list of questionnaires shows; empty when the
    // composer is not open.
    virtual QString composerChoice() const { return {}; }

    // The reports window: modal from the editor, modeless from the composer.
    virtual void showReports(bool modal) { (void)modal; }

    // The mock exam: an exam left in progress is offered first, then its set-up box.
    virtual void showExamSetup() { }
    // At start: the offer to resume an exam left in progress.
    virtual void offerExamResume() { }

    // The results of the mock exams, modeless.
    virtual void showResults() { }
};

} // namespace qcm
