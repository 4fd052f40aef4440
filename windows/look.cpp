#include "windows/look.h"

#include <QFontDatabase>
#include <QKeyEvent>
#include <QLabel>
#include <QPalette>
#include <QPushButton>
#include <QStringList>

namespace kelvara {
namespace {

// Enter presses the button that has the focus, and no other: the button is neither default nor
// auto-default (which would make it the window's default while it has the focus, and draw it
// so). A plain push button leaves Enter to the platform's theme, and most take Space alone.
class CommandButton final : public QPushButton {
 public:
  using QPushButton::QPushButton;

 protected:
  void keyPressEvent(QKeyEvent* event) override {
    if (event->key() != Qt::Key_Return && event->key() != Qt::Key_Enter)
      return QPushButton::keyPressEvent(event);
    if (!event->isAutoRepeat()) click();
  }
};

}  // namespace

QRect TwipsRect(int left, int top, int width, int height) {
  return QRect(TwipsToPixels(left), TwipsToPixels(top), TwipsToPixels(width),
               TwipsToPixels(height));
}

QStringList JapaneseFamilies() {
  // Looked up once: the font database does not change while the program runs.
  static const QStringList families = [] {
    QStringList wanted = {QStringLiteral("ＭＳ Ｐゴシック"), QStringLiteral("MS PGothic"),
                          QStringLiteral("IPAPGothic"), QStringLiteral("Noto Sans CJK JP")};
    const QStringList present = QFontDatabase::families();
    for (const QString& family : wanted) {
      if (present.contains(family, Qt::CaseInsensitive)) return QStringList{family};
    }
    return wanted;
  }();
  return families;
}

QFont JapaneseFont(qreal pointSize) {
  QFont font;
  font.setFamilies(JapaneseFamilies());
  font.setPointSizeF(pointSize);
  font.setWeight(QFont::Normal);
  font.setItalic(false);
  font.setUnderline(false);
  font.setStrikeOut(false);
  return font;
}

void StyleLabel(QWidget* label, const QFont& font, const QColor& textColor) {
  StyleLabel(label);
  label->setFont(font);
  QPalette palette = label->palette();
  palette.setColor(QPalette::WindowText, textColor);
  label->setPalette(palette);
}

void StyleLabel(QWidget* label) {
  label->setAutoFillBackground(true);
  label->setBackgroundRole(QPalette::Button);
  // Set after the background: a button-face background would otherwise draw the text in the
  // button text colour, not the label's own.
  label->setForegroundRole(QPalette::WindowText);
  if (auto* text = qobject_cast<QLabel*>(label)) {
    text->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    text->setFrameShape(QFrame::NoFrame);
    text->setTextFormat(Qt::PlainText);  // a name that looks like markup is shown as written
  }
  label->setFocusPolicy(Qt::NoFocus);
}

QString FromUtf8(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

std::string ToUtf8(const QString& text) {
  return text.toUtf8().toStdString();
}

QPushButton* MakeButton(QWidget* parent, const QString& name, const QString& caption,
                        const QRect& geometry) {
  auto* button = new CommandButton(caption, parent);
  button->setObjectName(name);
  button->setGeometry(geometry);
  button->setFocusPolicy(Qt::StrongFocus);
  button->setAutoDefault(false);
  button->setDefault(false);
  return button;
}

QLabel* MakeLabel(QWidget* parent, const QString& name, const QString& caption,
                  const QRect& geometry) {
  auto* label = new QLabel(caption, parent);
  label->setObjectName(name);
  label->setGeometry(geometry);
  StyleLabel(label);
  return label;
}

}  // namespace kelvara
