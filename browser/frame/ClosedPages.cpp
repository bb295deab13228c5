#include "browser/frame/ClosedPages.h"

#include "browser/frame/AddressRules.h"
#include "browser/frame/History.h"
#include "common/Settings.h"
#include "common/SettingsKeys.h"

#include <QRegularExpression>

namespace browser::frame {

using namespace common::keys;

ClosedPageEntry splitClosedEntry(const QString &stored)
{
    static const QRegularExpression separator(QStringLiteral("  (?=https?:|ftp:|file:)"));
    const QRegularExpressionMatch match = separator.match(stored);
    if (match.hasMatch())
        return { stored.left(match.capturedStart()), stored.mid(match.capturedEnd()) };
    const qsizetype at = stored.indexOf(QLatin1String("http"));
    if (at < 0)
        return { stored, {} };
    return { stored.left(std::max<qsizetype>(0, at - 2)), stored.mid(at) };
}

QString plainMenuText(const QString &title)
{
    QString text = title;
    text.replace(QLatin1Char('&'), QLatin1String("&&"));
    return text;
}

ClosedPages::ClosedPages(common::SettingsStore &settings)
    : m_settings(settings)
{
}

QString ClosedPages::storedEntry(int index) const
{
    if (index < 0 || index >= kRingSize)
        return {};
    return m_settings.read(kCancelPage, kPagePrefix + QString::number(index));
}

void ClosedPages::restore()
{
    bool ok = false;
    const int count = m_settings.read(kCancelPage, kCount).trimmed().toInt(&ok);
    if (ok && count >= 0 && count < kRingSize)
        m_closedPageCount = count;
    m_items.fill(std::nullopt);
    m_closedMenuIndex = -1;
    for (int k = 0; k < kRestoreLimit; ++k) {
        ++m_closedMenuIndex;
        const QString value = storedEntry(m_closedPageCount - m_closedMenuIndex);
        if (value.isEmpty())
            break;
        const ClosedPageEntry entry = splitClosedEntry(value);
        m_items[size_t(k)] = ClosedMenuItem { entry.caption, entry.address };
    }
}

int ClosedPages::addMenuEntry(const QString &labelText, const QString &caption, const QString &address)
{
    if (labelText.isEmpty())
        return -1;
    if (m_closedMenuIndex > kMenuItems - 2)
        m_closedMenuIndex = -1;
    ++m_closedMenuIndex;
    m_items[size_t(m_closedMenuIndex)] = ClosedMenuItem { leftCharacters(caption, kCaptionLength), address };
    return m_closedMenuIndex;
}

bool ClosedPages::isRecordable(const QString &address)
{
    return address.size() > 12 && address.size() < 100 && address != sites::kHomeWithQuery;
}

std::optional<QString> ClosedPages::recordClosedPage(const QString &caption, const QString &address)
{
    if (!isRecordable(address))
        return std::nullopt;
    ++m_closedPageCount;
    if (m_closedPageCount > kRingSize - 1)
        m_closedPageCount = 0;
    const QString entry = addressListEntry(caption, address);
    m_settings.save(kCancelPage, kCount, QString::number(m_closedPageCount));
    m_settings.save(kCancelPage, kPagePrefix + QString::number(m_closedPageCount), entry);
    return entry;
}

ReopenResult ClosedPages::openable(const QString &address)
{
    ReopenResult result;
    if (address.isEmpty())
        return result;
    if (!isReopenableAddress(address)) {
        result.refused = true;
        result.statusText = kRefusedAddressMessage + address;
        return result;
    }
    result.address = address;
    return result;
}

ReopenResult ClosedPages::reopen()
{
    if (m_closedPageCount < 0)
        m_closedPageCount = kRingSize - 1;
    const QString value = storedEntry(m_closedPageCount);
    const ClosedPageEntry entry = splitClosedEntry(value);
    const QString address = entry.address.isEmpty() ? value : entry.address;
    if (address.isEmpty())
        return {};
    // A refused entry is stepped over as well, so the next reopen goes on to older pages.
    --m_closedPageCount;
    return openable(address);
}

ReopenResult ClosedPages::reopenItem(int index) const
{
    if (index < 0 || index >= kMenuItems || !m_items[size_t(index)])
        return {};
    return openable(m_items[size_t(index)]->address);
}

void ClosedPages::clear()
{
    m_items.fill(std::nullopt);
    m_closedMenuIndex = -1;
    m_closedPageCount = 0;
    m_settings.save(kCancelPage, kCount, QStringLiteral("0"));
    m_settings.removeSection(kCancelPage);
}

void ClosedPages::forgetMenuEntries()
{
    m_items.fill(std::nullopt);
    m_closedPageCount = 0;
}

}
