#include "browser/page/PageRules.h"

#include "browser/frame/AddressRules.h"
#include "browser/frame/FrameCommands.h"
#include "browser/frame/History.h"

namespace browser::page {

const QString TitleRules::kBlankToolTip = QStringLiteral("鼠标右击查看属性，双击后可以关闭当前窗口");
const QString TitleRules::kHistoryPageTitle = QStringLiteral("网站访问历史");

QString percentText(float percent)
{
    return QString::number(double(percent), 'g', 7);
}

ProgressText::Step ProgressText::onProgress(qint64 progress, qint64 progressMax, bool autoSave)
{
    Step step;
    if (progress == -1)
        step.text = QStringLiteral("100%");
    if (progress > 0 && progressMax > 0)
        m_percent = float(double(progress) * 100.0 / double(progressMax));
    if (m_percent > 100)
        m_percent = 0;
    if (m_percent > 0)
        step.text = percentText(m_percent) + QStringLiteral(" %");
    step.startSaveTimer = m_percent == 100 && autoSave;
    return step;
}

TitleChange TitleRules::onTitleChange(
    const QString &documentTitle, const QString &locationUrl, const QString &startPage, bool isCurrentTab)
{
    TitleChange change;
    change.title = frame::leftCharacters(documentTitle, kTitleLength);
    if (change.title.isEmpty())
        change.title = locationUrl;
    if (change.title == QLatin1String("about:blank")) {
        change.labelToolTip = kBlankToolTip;
    } else {
        change.labelText = change.title;
        change.labelToolTip = change.title;
    }
    change.windowCaption = change.title;

    if (!documentTitle.isEmpty()) {
        change.addHistoryRow =
            change.title != m_lastHistoryTitle && locationUrl != startPage && change.title != kHistoryPageTitle;
        m_lastHistoryTitle = change.title;
    }

    if (isCurrentTab) {
        change.updatesFrame = true;
        change.frameCaption = frame::frameCaption(change.title);
        change.addressText = frame::shownAddress(locationUrl);
    }
    return change;
}

void TabHistory::AddHistoryRow(const QDateTime &when, const QString &locationUrl, const QString &title)
{
    m_text.prepend(frame::historyRow(frame::visitTimeText(when), locationUrl, title) + QStringLiteral("\r\n"));
}

bool TabHistory::WriteTabHistory(const QString &dataFolder, const QDate &date, QString *error) const
{
    return frame::appendToDayFile(frame::dayFilePath(dataFolder, date), m_text, error);
}

CloseRecord closeRecordFor(const QString &address)
{
    CloseRecord record;
    const bool lengthCounts = address.size() > 12 && address.size() < 100;
    if (lengthCounts && address == frame::sites::kHomeWithQuery) {
        record.writeHistory = false;
        return record;
    }
    record.recordClosedPage = lengthCounts;
    return record;
}

void PageLayout::resize(int width, int height)
{
    webTop = -50;
    webWidth = width + 50;
    webHeight = height - 190;
    galleryWidth = width;
    galleryHeight = height - 190;
    labelsTop = height - 255;
    lab6Width = width - 11550;
}

}
