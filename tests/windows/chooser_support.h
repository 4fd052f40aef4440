#pragma once

#include <QApplication>
#include <QList>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QtTest>
#include <memory>
#include <string>
#include <vector>

#include "windows/main_window.h"

namespace kelvara {

// Stands in for the file actions: notes each path it is given and answers as told.
struct ActionLog {
  std::vector<ChooserKind> made;  // the kinds the factory was asked for
  std::vector<std::string> paths;
  ActionOutcome outcome{true, "保存したよ"};
};

class LoggingAction : public ChooserAction {
 public:
  explicit LoggingAction(ActionLog& log) : log_(log) {}
  ActionOutcome run(const std::string& path) override {
    log_.paths.push_back(path);
    return log_.outcome;
  }

 private:
  ActionLog& log_;
};

// A real double-click on a list row: the press that selects it, then the second press.
inline void DoubleClickRow(QListWidget* list, int row) {
  const QPoint centre = list->visualItemRect(list->item(row)).center();
  QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, centre);
  QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, centre);
}

inline ActionFactory LoggingActions(ActionLog& log) {
  return [&log](ChooserKind kind, MainWindowLogic&) -> std::unique_ptr<ChooserAction> {
    log.made.push_back(kind);
    return std::make_unique<LoggingAction>(log);
  };
}

// The one visible top-level window of that name, or nullptr.
inline QWidget* OnlyWindow(const QString& name) {
  QWidget* found = nullptr;
  for (QWidget* window : QApplication::topLevelWidgets()) {
    if (window->objectName() != name || !window->isVisible()) continue;
    if (found) qFatal("two windows named %s", qPrintable(name));
    found = window;
  }
  return found;
}

// A control of a window, by name; the test stops when there is none.
template <typename T = QWidget>
T* ChildOf(QWidget* window, const char* name) {
  T* found = window->findChild<T*>(QString::fromLatin1(name));
  if (!found) qFatal("no control %s", name);
  return found;
}

// A message box as the user saw it.
struct SeenMessage {
  QString title;
  QString text;
  QMessageBox::Icon icon;
  QList<QAbstractButton*>::size_type buttons;
};

// Answers every modal message box with a click on its OK button, noting what it showed.
class MessageBoxAnswerer : public QObject {
 public:
  MessageBoxAnswerer() {
    connect(&timer_, &QTimer::timeout, this, [this] {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      if (!box || !box->isVisible()) return;
      seen.append({box->windowTitle(), box->text(), box->icon(), box->buttons().size()});
      QAbstractButton* ok = box->button(QMessageBox::Ok);
      if (ok) QTest::mouseClick(ok, Qt::LeftButton);
      if (box->isVisible()) box->done(QMessageBox::Cancel);  // no OK button: noted, and closed
    });
    timer_.start(5);
  }
  QList<SeenMessage> seen;

 private:
  QTimer timer_;
};

}  // namespace kelvara
