#include "web/ui/PagePrinting.h"

#include <QEventLoop>
#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QWebEngineView>

namespace web {

PagePrinting::PagePrinting(QWebEngineView *view, QWidget *owner)
    : QObject(owner)
    , m_view(view)
    , m_owner(owner)
    , m_printer(std::make_unique<QPrinter>(QPrinter::HighResolution))
{
    connect(m_view, &QWebEngineView::printFinished, this, [this](bool success) {
        m_printing = false;
        emit printed(success);
    });
}

PagePrinting::~PagePrinting() = default;

void PagePrinting::print()
{
    if (!m_view || m_printing)
        return;
    QPrintDialog dialog(m_printer.get(), m_owner);
    if (dialog.exec() != QDialog::Accepted)
        return;
    // The view prints asynchronously and needs the printer until printFinished.
    m_printing = true;
    m_view->print(m_printer.get());
}

void PagePrinting::printPreview()
{
    if (!m_view || m_printing)
        return;
    QPrintPreviewDialog dialog(m_printer.get(), m_owner);
    connect(&dialog, &QPrintPreviewDialog::paintRequested, this, [this](QPrinter *printer) {
        // The preview wants the pages drawn before paintRequested returns.
        QEventLoop loop;
        const auto finished = connect(m_view, &QWebEngineView::printFinished, &loop, &QEventLoop::quit);
        m_printing = true;
        m_view->print(printer);
        loop.exec();
        disconnect(finished);
    });
    dialog.exec();
}

void PagePrinting::pageSetup()
{
    QPageSetupDialog dialog(m_printer.get(), m_owner);
    dialog.exec();
}

}
