#include "app/dark_style.h"

#include <QApplication>
#include <QPalette>
#include <QStyleFactory>

namespace qarn::app {

void applyWindows10Dark(QApplication& app) {
  app.setStyle(QStyleFactory::create("Fusion"));
  QPalette p;
  const QColor window(43, 43, 43), base(32, 32, 32), text(255, 255, 255), button(51, 51, 51);
  const QColor accent(0, 120, 215), disabled(128, 128, 128);
  p.setColor(QPalette::Window, window);
  p.setColor(QPalette::WindowText, text);
  p.setColor(QPalette::Base, base);
  p.setColor(QPalette::AlternateBase, window);
  p.setColor(QPalette::ToolTipBase, window);
  p.setColor(QPalette::ToolTipText, text);
  p.setColor(QPalette::Text, text);
  p.setColor(QPalette::Button, button);
  p.setColor(QPalette::ButtonText, text);
  p.setColor(QPalette::BrightText, Qt::red);
  p.setColor(QPalette::Link, accent);
  p.setColor(QPalette::Highlight, accent);
  p.setColor(QPalette::HighlightedText, text);
  p.setColor(QPalette::Light, QColor(70, 70, 70));
  p.setColor(QPalette::Midlight, QColor(60, 60, 60));
  p.setColor(QPalette::Mid, QColor(45, 45, 45));
  p.setColor(QPalette::Dark, QColor(25, 25, 25));
  p.setColor(QPalette::Shadow, Qt::black);
  p.setColor(QPalette::PlaceholderText, disabled);
  for (auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
    p.setColor(QPalette::Disabled, role, disabled);
  p.setColor(QPalette::Disabled, QPalette::Base, window);
  app.setPalette(p);
}

}  // namespace qarn::app
