#pragma once

#include <QAbstractItemView>
#include <QAccessible>
#include <QApplication>
#include <QFontDatabase>
#include <QFontInfo>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QtTest>
#include <string>

#include "chooser/chooser_action.h"

namespace kelvara {

struct ControlRow {
  QString name;
  const char* caption;
  int left, top, width, height;
  double points = 0;
  QColor textColor = {};
};

inline void CheckControl(QWidget* window, const ControlRow& row) {
  const auto* widget = window->findChild<QWidget*>(row.name);
  QVERIFY2(widget && widget->isVisible() && widget->isEnabled(), qPrintable(row.name));
  QCOMPARE(widget->geometry(), QRect(qRound(row.left / 15.0), qRound(row.top / 15.0),
                                     qRound(row.width / 15.0), qRound(row.height / 15.0)));
  const QString caption = QString::fromUtf8(row.caption);
  if (row.caption) QCOMPARE(widget->property("text").toString(), caption);
  const QFont font = widget->font();
  QVERIFY(font.weight() == QFont::Normal && !font.italic() && !font.underline());
  if (row.points > 0) QCOMPARE(font.pointSizeF(), row.points);
  if (row.points > 0 || caption.toUtf8().size() != caption.size()) {  // Japanese text
    // The font drawn is a Japanese one, whatever the system calls it (under wine "IPA Pゴシック"
    // stands in for "ＭＳ Ｐゴシック").
    const QString family = QFontInfo(font).family();
    QVERIFY2(QFontDatabase::writingSystems(family).contains(QFontDatabase::Japanese),
             qPrintable(row.name + " is drawn in " + family));
  }
  // As drawn: a label on a button face must keep the window text role to show its colour.
  if (row.textColor.isValid())
    QCOMPARE(widget->palette().color(widget->foregroundRole()), row.textColor);
  if (const auto* label = qobject_cast<const QLabel*>(widget)) {
    QVERIFY2(label->autoFillBackground() && label->frameShape() == QFrame::NoFrame,
             qPrintable(row.name));
    QCOMPARE(label->alignment() & Qt::AlignHorizontal_Mask, Qt::AlignLeft);
    QVERIFY2(label->sizeHint().width() <= label->width(), qPrintable(row.name));
  }
}

// A label's text as it is drawn: markup, if the label takes its text for markup, is not shown.
inline QString Shown(QLabel* label) {
  return QAccessible::queryAccessibleInterface(label)->text(QAccessible::Name);
}

template <typename T = QWidget>
T* ChildOf(QWidget* window, const char* name) {
  T* found = window->findChild<T*>(QString::fromLatin1(name));
  if (!found) qFatal("no control %s", name);
  return found;
}

inline QStringList Texts(const QAbstractItemView* list) {
  QStringList texts;
  for (int row = 0; row < list->model()->rowCount(); ++row)
    texts << list->model()->index(row, 0).data().toString();
  return texts;
}

inline void ClickRow(QAbstractItemView* list, int row, bool twice = false) {
  list->scrollTo(list->model()->index(row, 0));
  const QPoint centre = list->visualRect(list->model()->index(row, 0)).center();
  QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, centre);
  if (twice) QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, centre);
}

struct UnusedAction : ChooserAction {
  ActionOutcome run(const std::string&) override { return {}; }
};

struct MessageBoxAnswerer {
  MessageBoxAnswerer() {
    QObject::connect(&timer, &QTimer::timeout, &timer, [this] {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      if (!box || !box->isVisible()) return;
      const bool plain = box->icon() == QMessageBox::Warning && box->buttons().size() == 1;
      seen << (plain ? "" : "(not one OK and an exclamation mark) ") + box->windowTitle() + "\n" +
                  Shown(box->findChild<QLabel*>(QStringLiteral("qt_msgbox_label")));
      if (QAbstractButton* ok = box->button(QMessageBox::Ok)) QTest::mouseClick(ok, Qt::LeftButton);
      if (box->isVisible()) box->done(QMessageBox::Cancel);
    });
    timer.start(5);
  }
  QStringList seen;
  QTimer timer;
};

}  // namespace kelvara
