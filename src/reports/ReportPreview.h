#pragma once

#include "ReportEngine.h"

#include <QMainWindow>

#include <functional>
#include <memory>

class QAction;
class QComboBox;
class QLabel;
class QPrintPreviewWidget;
class QPrinter;
class QSpinBox;

namespace qcm {

class DialogService;

// What the preview asks of the program: the print dialog (false when
// cancelled; it sets the printer and the copies) and the way a printing
// failure is told to the user. Without a print dialog the preview cannot print.
struct PreviewServices {
    std::function<bool(QPrinter &printer)> choosePrinter;
    std::function<void(const QString &message)> reportError;
};

// The preview of a laid-out report: its pages, and a toolbar to print, zoom
// and move from page to page. The window title is exactly the title given.
class ReportPreview : public QMainWindow {
    Q_OBJECT

public:
    ReportPreview(std::shared_ptr<const ReportDocument> document, const QString &title, PreviewServices services,
        QWidget *parent = nullptr);
    ~ReportPreview() override;

    int currentPage() const; // from 1
    int pageCount() const;
    double zoomFactor() const;

    QAction *printAction() const { return m_print; }
    QAction *firstPageAction() const { return m_first; }
    QAction *previousPageAction() const { return m_previous; }
    QAction *nextPageAction() const { return m_next; }
    QAction *lastPageAction() const { return m_last; }
    QAction *zoomInAction() const { return m_zoomIn; }
    QAction *zoomOutAction() const { return m_zoomOut; }
    QAction *closeAction() const { return m_close; }
    QSpinBox *pageBox() const { return m_pageBox; }
    QComboBox *zoomBox() const { return m_zoomBox; }
    QPrintPreviewWidget *view() const { return m_view; }

    void goToPage(int page);
    // Prints through the print dialog of the services; returns a ReportCode,
    // ReportCode::Ok as well when the dialog was cancelled.
    int print();

private:
    void buildToolbar();
    void paintPages(QPrinter *printer);
    void updateControls();
    void zoomChosen(int index);

    std::shared_ptr<const ReportDocument> m_document;
    PreviewServices m_services;
    std::unique_ptr<QPrinter> m_printer;
    QPrintPreviewWidget *m_view = nullptr;
    QAction *m_print = nullptr;
    QAction *m_first = nullptr;
    QAction *m_previous = nullptr;
    QAction *m_next = nullptr;
    QAction *m_last = nullptr;
    QAction *m_zoomIn = nullptr;
    QAction *m_zoomOut = nullptr;
    QAction *m_close = nullptr;
    QSpinBox *m_pageBox = nullptr;
    QLabel *m_pageTotal = nullptr;
    QComboBox *m_zoomBox = nullptr;
};

// The preview the engine opens for ReportDestination::Window: a new window
// for each report, deleted when closed.
ReportPreviewFactory previewFactory(QWidget *parent, PreviewServices services);
// The services through the program's dialogs: the print dialog titled after
// the document, the failures in a box.
PreviewServices dialogPreviewServices(DialogService &dialogs);

} // namespace qcm
