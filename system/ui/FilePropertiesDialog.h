#pragma once

#include <QDialog>
#include <QList>
#include <QPair>
#include <QString>

namespace sys {

// A read-only sheet for one file when the desktop offers no properties window of its own.
class FilePropertiesDialog : public QDialog {
    Q_OBJECT
public:
    explicit FilePropertiesDialog(const QString &path, QWidget *parent = nullptr);

    // The rows shown, label and value, in order (for the sheet and its tests).
    static QList<QPair<QString, QString>> rowsFor(const QString &path);
};

}
