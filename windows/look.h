#pragma once

#include <QColor>
#include <QFont>
#include <QRect>
#include <QString>
#include <QStringList>
#include <string>
#include <string_view>

class QLabel;
class QPushButton;
class QWidget;

namespace kelvara {

// Window layouts are given in twips; 15 twips make one logical pixel, and Qt's high-DPI
// scaling maps logical pixels to the screen.
constexpr int TwipsToPixels(int twips) {
  return (twips + 7) / 15;
}
QRect TwipsRect(int left, int top, int width, int height);

// The program's Japanese font: the first family on the list that the system has, alone
// (the whole list only when it has none). A font with a list of families makes Qt ask
// fontconfig for a sorted fallback list each time it loads the font: a fifth of the start-up.
QStringList JapaneseFamilies();
QFont JapaneseFont(qreal pointSize);
inline constexpr qreal kDefaultPointSize = 9;

inline const QColor kBlue(0, 0, 255);
inline const QColor kRed(255, 0, 0);
inline const QColor kBlack(0, 0, 0);
inline const QColor kWindowGrey(192, 192, 192);

// Labels are opaque on the button-face colour, left-aligned, without a border, and show their
// text as it is written.
void StyleLabel(QWidget* label, const QFont& font, const QColor& textColor);
void StyleLabel(QWidget* label);

// Captions and names cross between the Qt-free code (UTF-8) and the widgets here.
QString FromUtf8(std::string_view text);
std::string ToUtf8(const QString& text);

// A command button that Enter presses only while it has the focus.
QPushButton* MakeButton(QWidget* parent, const QString& name, const QString& caption,
                        const QRect& geometry);
QLabel* MakeLabel(QWidget* parent, const QString& name, const QString& caption,
                  const QRect& geometry);

}  // namespace kelvara
