#pragma once

#include <QWidget>

namespace slideshow {

class RasterSurface;

// Shows a raster surface at its own size on black; a click on it is reported.
class PictureBox : public QWidget {
    Q_OBJECT
public:
    explicit PictureBox(QWidget *parent = nullptr);

    // The surface must outlive the box or be replaced before it goes.
    void setSurface(const RasterSurface *surface);

signals:
    void clicked();

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;

private:
    const RasterSurface *m_surface = nullptr;
};

}
