// Making the controls of the program's windows: each under its component
// name, by which the window's code, its tests and assistive tools find it.
#pragma once

#include <QLabel>
#include <QLatin1String>
#include <QPushButton>
#include <QRect>
#include <QString>
#include <utility>

// A `Control` constructed from `args` and `parent`, named `name`.
template <class Control, class... Args>
Control* MakeNamed(QWidget* parent, const char* name, Args&&... args) {
  auto* control = new Control(std::forward<Args>(args)..., parent);
  control->setObjectName(QLatin1String(name));
  return control;
}

// A label that shows `text` as it stands, never as markup.
inline QLabel* MakePlainLabel(QWidget* parent, const char* name, const QString& text) {
  auto* label = MakeNamed<QLabel>(parent, name, text);
  label->setTextFormat(Qt::PlainText);
  return label;
}

inline QPushButton* MakeButton(QWidget* parent, const char* name, const QString& caption,
                               QRect geometry) {
  auto* button = MakeNamed<QPushButton>(parent, name, caption);
  button->setGeometry(geometry);
  return button;
}
