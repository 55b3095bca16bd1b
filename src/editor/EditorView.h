#pragma once

#include "database/Records.h"

#include <QList>
#include <QString>

namespace qcm {

// What the editor's procedures read and change on the editor window: its
// fields by index, its speciality boxes and its list of domains. The window
// implements it; tests drive the procedures through a plain stand-in.
class EditorView {
public:
    virtual ~EditorView() = default;

    // txt(index), 0 to 15. Line breaks are "\r\n" both ways.
    virtual QString text(int index) const = 0;
    virtual void setText(int index, const QString &text) = 0;
    virtual void setFocusTo(int index) = 0;

    // chkOpt(index), 0 to 6.
    virtual bool isChecked(int index) const = 0;
    virtual void setChecked(int index, bool checked) = 0;

    // lstDom: one entry per domain, nothing selected after a refill.
    virtual void showDomains(const QList<Domain> &domains) = 0;
    // The selected entry, -1 when none.
    virtual int selectedDomain() const = 0;
    // Selects an entry (-1: none) without running the list's selection event.
    virtual void selectDomain(int position) = 0;
};

} // namespace qcm
