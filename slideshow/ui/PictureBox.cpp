#include "PictureBox.h"

#include "slideshow/RasterSurface.h"

#include <QPainter>

namespace slideshow {

PictureBox::PictureBox(QWidget *parent)
    : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void PictureBox::setSurface(const RasterSurface *surface)
{
    m_surface = surface;
    update();
}

void PictureBox::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), Qt::black);
    if (!m_surface || m_surface->isEmpty())
        return;
    // A view on the surface's own bytes: nothing is copied before drawing.
    const QImage view(
        m_surface->bits(), m_surface->width(), m_surface->height(), m_surface->stride(), QImage::Format_BGR888);
    painter.drawImage(0, 0, view);
}

void PictureBox::mousePressEvent(QMouseEvent *)
{
    emit clicked();
}

}
