#include "FormScreen.h"
#include "PictureBox.h"
#include "slideshow/EffectList.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

#include <algorithm>

namespace slideshow {

int FormScreen::GetFourWayDirection() const
{
    if (Option1[2]->isChecked())
        return 4;
    if (Option1[3]->isChecked())
        return 8;
    if (Option1[4]->isChecked())
        return 1;
    if (Option1[5]->isChecked())
        return 2;
    return 0;
}

int FormScreen::GetAxisDirection() const
{
    return Option1[0]->isChecked() ? 1 : 2;
}

int FormScreen::GetZoomMode() const
{
    if (Option2[0]->isChecked())
        return 1;
    return Option2[1]->isChecked() ? 2 : 3;
}

void FormScreen::EnableStepBox(bool on)
{
    m_stepFrame->setEnabled(on);
    Text2->setEnabled(on);
}

void FormScreen::EnableBarSizeBox(bool on)
{
    m_otherFrame->setEnabled(on);
    m_barSizeLabel->setEnabled(on);
    Text3->setEnabled(on);
}

void FormScreen::EnableModeOptions(bool on)
{
    m_modeFrame->setEnabled(on);
    for (QRadioButton *option : Option2)
        option->setEnabled(on);
}

void FormScreen::EnableDirectionOptions(int set)
{
    m_directionFrame->setEnabled(set != 0);
    for (int i = 0; i < 6; ++i)
        Option1[i]->setEnabled(set == 1 ? i < 2 : set == 2 && i >= 2);
    if (set == 1)
        Option1[0]->setChecked(true);
    else if (set == 2)
        Option1[2]->setChecked(true);
}

void FormScreen::List1_Click()
{
    EnableBarSizeBox(false);
    Text1->setText(QStringLiteral("1"));
    const int entry = List1->currentRow();
    if (entry < 0)
        return;
    const EffectDefaults d = effectDefaults(entry);
    if (d.redirectTo >= 0) {
        List1->setCurrentRow(d.redirectTo);
        return;
    }
    EnableStepBox(d.stepBox);
    EnableModeOptions(d.modeOptions);
    EnableDirectionOptions(static_cast<int>(d.directionSet));
    Text2->setText(d.stepText);
    if (d.barSizeBox) {
        EnableBarSizeBox(true);
        Text3->setText(d.barSizeText);
    }
    Text1->setText(d.speedText);
    for (const int option : d.disabledDirections)
        Option1[static_cast<std::size_t>(option)]->setEnabled(false);
    if (d.selectedDirection >= 0)
        Option1[static_cast<std::size_t>(d.selectedDirection)]->setChecked(true);
    if (d.selectedMode >= 0)
        Option2[static_cast<std::size_t>(d.selectedMode)]->setChecked(true);
}

void FormScreen::guardBox(QLineEdit *box, bool selectOne)
{
    const QString text = box->text();
    if (!text.isEmpty() && text != QStringLiteral("0"))
        return;
    box->setText(QStringLiteral("1"));
    if (selectOne)
        box->setSelection(0, 1);
}

void FormScreen::Text1_Change()
{
    guardBox(Text1, false);
    // Only digits get in, so the value is the number the box shows ("00" gives 0).
    qint64 value = 0;
    for (const QChar c : Text1->text())
        if (c.isDigit())
            value = std::min<qint64>(value * 10 + c.digitValue(), 100000);
    m_canvas.effects.StepDelay = static_cast<int>(value);
}

void FormScreen::Timer1_Timer()
{
    setFocus();
    Timer1->stop();
    cmdStart_Click();
}

void FormScreen::cmdStart_Click()
{
    // A start while an effect runs is refused before anything is loaded, so the running
    // effect keeps its incoming picture.
    if (m_inCycle || m_stopped)
        return;
    if (!LoadFittedPicture(m_canvas.incoming))
        return;
    if (StopRequested) {
        m_canvas.effects.TransitionBusy = false;
        cmdStart->setText(QString());
    } else {
        if (!IsIdle(m_canvas.effects))
            return;
        cmdStart->setText(QStringLiteral("停止"));
        m_inCycle = true;
        if (RunSelectedEffect())
            return; // effectEnded goes on
        m_inCycle = false;
        Picture1->update();
        cmdStart->setText(QString());
    }
    finishCycle();
}

void FormScreen::effectEnded()
{
    if (!m_inCycle)
        return;
    m_inCycle = false;
    if (StopRequested) {
        close();
        return;
    }
    Picture1->update();
    cmdStart->setText(QString());
    finishCycle();
}

void FormScreen::finishCycle()
{
    AdvanceEffect();
    Timer1->start();
}

bool FormScreen::RunSelectedEffect()
{
    Canvas &canvas = m_canvas;
    canvas.outgoing = canvas.display;
    EffectInputs inputs { canvas.display, canvas.outgoing, canvas.incoming };
    inputs.fourWay = static_cast<Direction>(GetFourWayDirection());
    inputs.axis = static_cast<Axis>(GetAxisDirection());
    inputs.zoomSide = Option1[2]->isChecked() ? ZoomSide::Left : ZoomSide::Right;
    inputs.zoomMode = static_cast<ZoomMode>(GetZoomMode());
    inputs.step = positiveBoxValue(Text2->text());
    inputs.size = positiveBoxValue(Text3->text());
    return m_runner->start(makeEffect(List1->currentRow(), inputs));
}

void FormScreen::AdvanceEffect()
{
    for (int i = NextDirectionIndex; i <= 5; ++i) {
        if (!Option1[static_cast<std::size_t>(i)]->isEnabled())
            continue;
        NextDirectionIndex = i + 1;
        if (i + 1 == 6 || !Option1[static_cast<std::size_t>(i) + 1]->isEnabled())
            break;
        Option1[static_cast<std::size_t>(i) + 1]->setChecked(true);
        Option1[static_cast<std::size_t>(i) + 1]->setFocus();
        return;
    }
    if (List1->currentRow() == 15)
        List1->setCurrentRow(-1);
    NextDirectionIndex = 0;
    // Past the last entry there is nothing to select; the last effect then repeats.
    const int next = List1->currentRow() + 1;
    if (next < List1->count())
        List1->setCurrentRow(next);
}

}
