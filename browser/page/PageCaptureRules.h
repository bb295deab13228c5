#pragma once

#include <QString>

#include <optional>

namespace browser::page {

inline const QString kCaptureSafeModeMessage =
    QStringLiteral("网页截图时必须退出安全看图模式，然后重新载入页面……") + QString(15, QLatin1Char(' '));
inline const QString kCaptureDialogTitle = QStringLiteral("截图另存为");
inline constexpr int kCaptureFilterIndex = 2;
inline constexpr int kCaptureJpegQuality = 80;

// A capture is refused while safe mode is on and the page (not its gallery) is shown.
inline bool captureAllowed(bool galleryShown, bool safeMode)
{
    return galleryShown || !safeMode;
}

// The proposed name of a page capture: the frame caption up to two characters before its first
// "-" (the page title without " - Nimbrow "), then ".jpg". Nothing when the caption has no "-",
// or has it first: the capture does not go on.
std::optional<QString> captureFileName(const QString &frameCaption);

}
