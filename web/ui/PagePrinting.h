#pragma once

#include <QObject>

#include <memory>

class QPrinter;
class QWebEngineView;
class QWidget;

namespace web {

// Printing of the page a web view shows: "打印(&P)" (the print dialog, then the page),
// "打印预览" and "打印设置". The printer and its page setup are kept between commands.
class PagePrinting : public QObject {
    Q_OBJECT
public:
    explicit PagePrinting(QWebEngineView *view, QWidget *owner = nullptr);
    ~PagePrinting() override;

    void print();
    void printPreview();
    void pageSetup();

    QPrinter &printer() { return *m_printer; }
    bool isPrinting() const { return m_printing; }

signals:
    void printed(bool success);

private:
    QWebEngineView *m_view = nullptr;
    QWidget *m_owner = nullptr;
    std::unique_ptr<QPrinter> m_printer;
    bool m_printing = false;
};

}
