// Geometry, fonts and colours shared by Quarnel's windows.
#pragma once

#include <QColor>
#include <QFont>
#include <QRect>
#include <QString>

class QLabel;
class QWidget;

namespace quarnel {

// The application title: window title, About caption, message-box titles.
inline const QString kAppTitle = QStringLiteral("Ostrevan");

inline const QColor kLightCyan{128, 255, 255};      // file lists and the tool table's data cells
inline const QColor kLightGrey{224, 224, 224};      // the directory browser's lists and label
inline const QColor kWarningOrange{255, 200, 120};  // a tool cell or dimension box that misleads

// A rectangle given in twips (left, top, width, height), in pixels (15 twips a pixel).
QRect TwipsRect(int left, int top, int width, int height);

// The platform's default sans-serif face at the given point size.
QFont SansSerifFont(qreal pointSize);
// The face every form uses where no other font is given.
inline constexpr qreal kFormPointSize = 8;

// Fills widget's background with color (the Base role of lists and text boxes, and the window).
void SetBackground(QWidget& widget, const QColor& color);
// A thin single-line border around a label.
void SetSingleLineBorder(QLabel& label);

}  // namespace quarnel
